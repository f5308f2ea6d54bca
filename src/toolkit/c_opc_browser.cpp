// COPCBrowser: the toolkit's own access path operations.
#include "toolkit/c_opc_browser.h"

#include "platform/hresult.h"

// No item has access paths: the enumeration is empty from the start.
long COPCBrowser::GetAccessPaths(const char* /*itemId*/) {
  return S_FALSE;
}

const char* COPCBrowser::NextAccessPath() {
  return "";
}
