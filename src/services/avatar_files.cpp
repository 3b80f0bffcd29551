#include "services/avatar_files.h"

#include "base/file_url.h"
#include "services/transfer_stream.h"

namespace zc {

std::string AvatarFilePath(const std::string& programFolder, const std::string& name) {
    return IsPlainFileName(name) ? programFolder + "avatars/" + SystemText(name) : std::string();
}

}  // namespace zc
