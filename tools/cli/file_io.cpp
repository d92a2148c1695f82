#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <unistd.h>

namespace wendax::cli {

std::optional<std::vector<std::uint8_t>> readFileBounded(const std::filesystem::path& path, std::size_t limit,
                                                         std::string& error)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        error = path.string() + ": " + (std::filesystem::exists(path, ec) ? "not a regular file" : "no such file");
        return std::nullopt;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = path.string() + ": " + ec.message();
        return std::nullopt;
    }
    if (size > limit) {
        error = path.string() + " is " + std::to_string(size) + " bytes long; at most " + std::to_string(limit) +
                " bytes are accepted";
        return std::nullopt;
    }
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file || !file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()))) {
        error = path.string() + ": cannot be read";
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return path.string() + ": cannot be written (" + std::strerror(errno) + ")";
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const int writeErrno = errno;
    const bool complete = written == bytes.size() && ::fsync(fd) == 0;
    ::fchmod(fd, 0644);
    ::close(fd);
    if (!complete || ::rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(complete ? errno : writeErrno);
        ::unlink(temp.c_str());
        return path.string() + ": cannot be written (" + reason + ")";
    }
    return std::nullopt;
}

std::filesystem::path programFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
}

} // namespace wendax::cli
