#include "cd/CdDrive.h"

#include <algorithm>
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cstdlib>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

// libcdio reports every unreadable drive or image on standard error; the MCI replies carry
// the outcome instead. (A null handler would crash libcdio later, hence an empty one.)
void IgnoreCdioMessage(cdio_log_level_t, const char*) {}

void SilenceCdio() {
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(IgnoreCdioMessage); });
}

} // namespace

bool CdDrive::IsCdDevice(const std::string& path) {
    // Only CD drives answer the CD capability query; a disk's block device does not.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool cd = ::ioctl(fd, CDROM_GET_CAPABILITY, 0) >= 0;
    ::close(fd);
    return cd;
}

CdDrive::Kind CdDrive::Classify(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0)
        return Kind::None;
    if (S_ISBLK(info.st_mode))
        return Kind::Device;
    if (S_ISREG(info.st_mode))
        return Kind::Image;
    return Kind::None;
}

std::vector<std::string> CdDrive::DriveNames(std::string_view info) {
    constexpr std::string_view kNameLine = "drive name:";
    std::vector<std::string> names;
    while (!info.empty()) {
        const size_t end = info.find('\n');
        std::string_view line = info.substr(0, end);
        info = end == std::string_view::npos ? std::string_view() : info.substr(end + 1);
        if (line.substr(0, kNameLine.size()) != kNameLine)
            continue;
        line.remove_prefix(kNameLine.size());
        while (!line.empty()) {
            const size_t start = line.find_first_not_of(" \t");
            if (start == std::string_view::npos)
                break;
            line.remove_prefix(start);
            const size_t length = std::min(line.find_first_of(" \t"), line.size());
            names.emplace(names.begin(), line.substr(0, length)); // the driver lists newest first
            line.remove_prefix(length);
        }
        break;
    }
    return names;
}

namespace {

// A small file of the kernel's (such files report no size), read with plain
// calls: the drive list is made at start, where the stream library's set-up
// would cost more than the reading.
std::string ReadKernelFile(const char* path) {
    std::string text;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[4096];
    ssize_t got;
    while (text.size() < 65536 && (got = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    ::close(fd);
    return text;
}

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    std::string result = real ? real : "";
    std::free(real);
    return result;
}

} // namespace

// The customary links first, as a user's settings usually name them, then
// the drives the kernel knows; a drive reached by two names is listed once.
std::vector<std::string> CdDrive::Devices() {
    std::vector<std::string> candidates = {"/dev/cdrom", "/dev/dvd"};
    for (const std::string& name : DriveNames(ReadKernelFile("/proc/sys/dev/cdrom/info")))
        if (name.find('/') == std::string::npos)
            candidates.push_back("/dev/" + name);

    std::vector<std::string> devices;
    std::vector<std::string> seen;
    for (const std::string& path : candidates) {
        const std::string device = RealPath(path);
        if (device.empty() || std::find(seen.begin(), seen.end(), device) != seen.end() ||
            !IsCdDevice(path))
            continue;
        seen.push_back(device);
        devices.push_back(path);
    }
    return devices;
}

bool CdDrive::IsDrive(const std::string& path) {
    switch (Classify(path)) {
    case Kind::Device:
        return IsCdDevice(path);
    case Kind::Image:
        return !CdDrive(path, Kind::Image).Toc().Empty();
    case Kind::None:
        break;
    }
    return false;
}

CdIo_t* CdDrive::OpenHandle(const std::string& path, Kind kind) {
    SilenceCdio();
    if (kind == Kind::None)
        return nullptr;
    return cdio_open(path.c_str(), kind == Kind::Device ? DRIVER_DEVICE : DRIVER_UNKNOWN);
}

CdDrive::CdDrive(std::string path, Kind kind) : path_(std::move(path)), kind_(kind) {}

CdDrive::~CdDrive() {
    Release();
}

void CdDrive::Release() {
    if (handle_)
        cdio_destroy(handle_);
    handle_ = nullptr;
    tocRead_ = false;
    toc_ = {};
}

const CdToc& CdDrive::Toc() {
    if (doorOpen_)
        return toc_;
    if (!handle_)
        handle_ = OpenHandle(path_, kind_);
    if (handle_ && (!tocRead_ || (kind_ == Kind::Device && cdio_get_media_changed(handle_) == 1)))
        ReadToc();
    return toc_;
}

void CdDrive::ReadToc() {
    toc_ = {};
    tocRead_ = true;
    const track_t first = cdio_get_first_track_num(handle_);
    const track_t count = cdio_get_num_tracks(handle_);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return;
    for (int number = first; number < first + count; ++number) {
        const lsn_t start = cdio_get_track_lsn(handle_, static_cast<track_t>(number));
        if (start == CDIO_INVALID_LSN)
            return void(toc_ = {});
        const bool audio =
            cdio_get_track_format(handle_, static_cast<track_t>(number)) == TRACK_FORMAT_AUDIO;
        toc_.tracks.push_back({number, start, audio});
    }
    const lsn_t leadout = cdio_get_track_lsn(handle_, CDIO_CDROM_LEADOUT_TRACK);
    if (leadout == CDIO_INVALID_LSN)
        return void(toc_ = {});
    toc_.leadoutLsn = leadout;
}

void CdDrive::OpenDoor() {
    doorOpen_ = true;
    if (kind_ == Kind::Device) {
        if (!handle_)
            handle_ = OpenHandle(path_, kind_);
        if (handle_)
            cdio_eject_media(&handle_); // frees the handle and sets it to null
    }
    Release();
}

void CdDrive::CloseDoor() {
    doorOpen_ = false;
    if (kind_ == Kind::Device) {
        Release();
        driver_id_t driver = DRIVER_DEVICE;
        cdio_close_tray(path_.c_str(), &driver);
    }
}

} // namespace zeb
