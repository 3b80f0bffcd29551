#include "base/registry_keys.h"

#include "platform/registry_store.h"

namespace zc {

void WriteAppRegValue(RegistryStore& store, const std::string& subkey, const std::string& name,
                      const std::string& value) {
    store.WriteValue(kAppRegistryKey + subkey, name, value);
}

std::string ReadAppRegValue(const RegistryStore& store, const std::string& subkey, const std::string& name) {
    return store.ReadValue(kAppRegistryKey + subkey, name);
}

}  // namespace zc
