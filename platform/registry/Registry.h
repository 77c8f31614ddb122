#pragma once
// A hierarchical key/value store in the shape of the Windows registry: keys are
// backslash-separated paths under a root, each key holds named values that are
// either integers or texts. The per-user root lives in the XDG configuration
// folder (honouring XDG_CONFIG_HOME), the per-machine root in the first folder of
// XDG_CONFIG_DIRS (read-only here). Plain C++ interface; QSettings underneath.
//
// Every TRegistry object opens the store for one operation and closes it when
// the key is closed or the object is destroyed; nothing is cached in between.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SysUtils.h"

enum class TRootKey { HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE };
using enum TRootKey;

enum class TRegDataType { rdUnknown, rdString, rdInteger };

// A store that cannot be read or written, a value of the wrong type, a key that
// is not open.
class ERegistryException : public Exception {
public:
  using Exception::Exception;
};

class TRegistry {
public:
  explicit TRegistry(TRootKey root = HKEY_CURRENT_USER);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Opens a key path (backslash-separated; a leading backslash is ignored).
  // Returns false when the key does not exist and canCreate is false.
  bool OpenKey(const std::string& path, bool canCreate);
  bool OpenKeyReadOnly(const std::string& path);
  // Writes pending changes and closes the store.
  void CloseKey();
  bool HasCurrentKey() const;
  const std::string& CurrentPath() const;

  // Relative to the open key, or absolute under the root when none is open.
  bool KeyExists(const std::string& path) const;
  bool DeleteKey(const std::string& path);
  std::vector<std::string> GetKeyNames() const;

  // Values of the open key; the empty name is the key's default value.
  bool ValueExists(const std::string& name) const;
  TRegDataType GetDataType(const std::string& name) const;
  std::vector<std::string> GetValueNames() const;
  // Reading a missing value yields empty text; reading a text as an integer raises.
  std::string ReadString(const std::string& name) const;
  int32_t ReadInteger(const std::string& name) const;
  void WriteString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, int32_t value);
  bool DeleteValue(const std::string& name);

  // The file that holds a root, for diagnostics and tests.
  static std::string StoreFileName(TRootKey root);

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
