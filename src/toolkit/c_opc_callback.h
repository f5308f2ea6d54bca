// COPCCallback: the toolkit's callback base through which the served system supplies its items.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hresult.h"
#include "platform/variant.h"
#include "toolkit/c_opc_browser.h"
#include "toolkit/c_tag.h"

// OPC server states reported by GetServerState.
enum class OpcServerState { Running = 1, Failed = 2, NoConfig = 3, Suspended = 4, Test = 5 };

class COPCCallback {
 public:
  COPCCallback() = default;
  COPCCallback(const COPCCallback&) = delete;
  COPCCallback& operator=(const COPCCallback&) = delete;
  virtual ~COPCCallback() = default;

  // Narrow (Windows-1252) text in, the wide string handed to a client out.
  static std::u16string AllocString(std::string_view ansi);

  // The lock that guards the tags' values, qualities and time stamps; the toolkit holds it
  // while it copies tag state for a client. The served system returns its own lock.
  virtual std::recursive_mutex& GetTagLock() { return m_defaultLock; }

  // Item properties.
  virtual HRESULT QueryPropertyCount(const char* itemId, std::uint32_t* count, CTag** tag);
  virtual HRESULT QueryAvailableProperties(const char* itemId, std::uint32_t count, CTag* tag,
                                           std::uint32_t* propertyIds, std::u16string* descriptions,
                                           VARTYPE* dataTypes);
  virtual HRESULT GetItemProperties(const char* itemId, std::uint32_t count,
                                    const std::uint32_t* propertyIds, Variant* values,
                                    HRESULT* errors);
  // The toolkit's own: validates each item ID through ValidateTag; errors[i] gets the result.
  virtual HRESULT LookupItemIDs(std::uint32_t count, const char* const* itemIds, HRESULT* errors);
  // The toolkit's own: running while serving.
  virtual OpcServerState GetServerState();
  virtual COPCBrowser* CreateBrowser() { return nullptr; }
  virtual std::uint32_t ReviseUpdateRate(std::uint32_t rate) { return rate; }
  virtual CTag* FindTag(const char* /*itemId*/, const char* /*accessPath*/, int /*flags*/) {
    return nullptr;
  }
  virtual HRESULT ValidateTag(CTag* /*record*/, const char* /*itemId*/, const char* /*accessPath*/,
                              int /*flags*/) {
    return OPC_E_UNKNOWNITEMID;
  }
  virtual HRESULT NoOpCallbackA(void* /*a*/, void* /*b*/) { return S_OK; }
  // The toolkit's own: the system defines no access paths.
  virtual HRESULT GetTagAccessPath(CTag* tag, std::string* accessPath);
  virtual std::string GetTagItemID(CTag* /*tag*/) { return {}; }
  // The toolkit's own defines no limits (S_FALSE); a system whose items have a natural range
  // (their EURange towards OPC UA clients) overrides it: low and high, S_OK.
  virtual HRESULT GetTagLimits(CTag* tag, double* low, double* high);
  virtual HRESULT NoOpCallbackB(void* /*a*/, void* /*b*/, void* /*c*/) { return S_OK; }
  // The toolkit's own: copies value, quality and time stamp of each tag under the tag lock.
  virtual HRESULT Read(std::uint32_t count, CTag* const* tags, Variant* values,
                       std::uint16_t* qualities, FileTime* timestamps, HRESULT* errors);
  virtual HRESULT ReadTagFromDevice(CTag* /*tag*/) { return S_OK; }
  // The toolkit's own: WriteTag for each tag; errors[i] gets its result.
  virtual HRESULT Write(std::uint32_t count, CTag* const* tags, const Variant* values,
                        HRESULT* errors);
  virtual HRESULT WriteTag(CTag* /*tag*/, const Variant& /*value*/) { return E_NOTIMPL; }
  // The toolkit's own: a text for the code; valid as long as the callback lives.
  virtual const char* GetErrorString(HRESULT code, std::uint32_t locale);
  virtual const char* GetVendorInfo() { return ""; }
  // Counts the changes of the name space's shape (items or branches that came, went or were
  // renamed); the toolkit's own is 0, for a name space that never changes. It must move on,
  // under the tag lock, before an item ID finds another tag than before (or none) and before a
  // tag that FindTag returned is destroyed: the toolkit remembers what item IDs found as long
  // as it stays, and monitored items check whether their item is still there when it moved on.
  virtual std::uint64_t NameSpaceVersion() const { return 0; }

 private:
  std::recursive_mutex m_defaultLock;
  // Texts of codes without a text of their own, kept so that returned pointers stay valid.
  std::mutex m_errorTextMutex;
  std::map<HRESULT, std::string> m_errorTexts;
};
