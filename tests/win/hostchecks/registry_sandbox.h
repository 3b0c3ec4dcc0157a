// Registry set-up for the host-check tests: keys and values written in the
// 32-bit view of HKEY_LOCAL_MACHINE, where Velkor reads them, and removed
// again (keys the sandbox created, values restored) when it goes away.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velkor::testing {

class RegistrySandbox {
 public:
  RegistrySandbox() = default;
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;
  ~RegistrySandbox();

  // Creates `subKey` and every missing key above it.
  void CreateKey(const std::string& subKey);
  // Writes a REG_SZ value (with its terminating zero), creating the key.
  void SetText(const std::string& subKey, const std::string& name, const std::string& value);
  // Writes a REG_BINARY value of exactly these bytes, creating the key.
  void SetBytes(const std::string& subKey, const std::string& name, const std::string& bytes);

 private:
  struct SavedValue {
    std::string subKey, name;
    std::optional<std::string> data;  // none: the value did not exist
    unsigned long type = 0;
  };
  void SetValue(const std::string& subKey, const std::string& name, unsigned long type,
                const std::string& data);

  std::vector<std::string> createdKeys_;  // in creation order
  std::vector<SavedValue> savedValues_;
};

}  // namespace velkor::testing
