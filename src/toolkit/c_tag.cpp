// CTag: client reference counting of the toolkit's tag base.
#include "toolkit/c_tag.h"

long CTag::AddRef() { return ++m_refCount; }

long CTag::Release() {
  long count = m_refCount.load();
  // Never below zero: an unbalanced Release must not make a held tag look free.
  while (count > 0 && !m_refCount.compare_exchange_weak(count, count - 1)) {
  }
  return count > 0 ? count - 1 : 0;
}
