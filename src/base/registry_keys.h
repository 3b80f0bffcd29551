#pragma once
#include <string>

namespace zc {

class RegistryStore;

inline const char kAppRegistryKey[] = "Software\\Zelto group\\ZeltoChat\\";

void WriteAppRegValue(RegistryStore& store, const std::string& subkey, const std::string& name,
                      const std::string& value);
std::string ReadAppRegValue(const RegistryStore& store, const std::string& subkey, const std::string& name);

}  // namespace zc
