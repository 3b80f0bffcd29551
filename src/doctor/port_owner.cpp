#include "doctor/port_owner.h"

#include <dirent.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "doctor/doctor_report.h"

namespace zc::doctor {

std::vector<unsigned long> SocketInodesOnPort(const std::string& table, int port, bool listeningOnly) {
    std::vector<unsigned long> inodes;
    std::istringstream in(table);
    std::string line;
    std::getline(in, line);  // the heading
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string slot, local, remote, state, queues, timer, retransmits, uid, timeout;
        unsigned long inode = 0;
        if (!(words >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid >> timeout >> inode))
            continue;
        const size_t colon = local.find(':');
        if (colon == std::string::npos) continue;
        unsigned long localPort = 0;
        try {
            localPort = std::stoul(local.substr(colon + 1), nullptr, 16);
        } catch (...) {
            continue;
        }
        // 0A is TCP_LISTEN.
        if (static_cast<int>(localPort) != port || (listeningOnly && state != "0A") || inode == 0) continue;
        inodes.push_back(inode);
    }
    return inodes;
}

std::string PortOwnerText(const std::string& procNetFile, int port, bool listeningOnly) {
    std::ifstream file(procNetFile);
    std::stringstream table;
    table << file.rdbuf();
    const std::vector<unsigned long> inodes = SocketInodesOnPort(table.str(), port, listeningOnly);
    if (inodes.empty()) return "";
    std::vector<std::string> wanted;
    for (unsigned long inode : inodes) wanted.push_back("socket:[" + std::to_string(inode) + "]");
    DIR* proc = ::opendir("/proc");
    if (!proc) return "";
    std::string found;
    const std::string self = std::to_string(::getpid());
    while (dirent* p = ::readdir(proc)) {
        const std::string pid = p->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
        const std::string fdDir = "/proc/" + pid + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds) continue;
        while (dirent* f = ::readdir(fds)) {
            char target[64] = {};
            const std::string link = fdDir + "/" + f->d_name;
            const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
            if (n <= 0) continue;
            for (const std::string& w : wanted)
                if (w == target) found = pid;
            if (!found.empty()) break;
        }
        ::closedir(fds);
        if (!found.empty()) break;
    }
    ::closedir(proc);
    if (found.empty()) return "";
    std::ifstream commFile("/proc/" + found + "/comm");
    std::string comm;
    std::getline(commFile, comm);
    return " (" + PrintableText(comm, 32) + ", pid " + found + ")";
}

}  // namespace zc::doctor
