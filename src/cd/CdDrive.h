#pragma once

#include "cd/CdToc.h"

#include <string>
#include <string_view>
#include <vector>

typedef struct _CdIo CdIo_t;

namespace zeb {

// A CD drive (a device such as /dev/sr0) or a CD image standing in for one (a .cue with its
// .bin, a .toc or an .nrg), read through libcdio. The table of contents is read when first
// asked for and again after the drive reports a media change.
class CdDrive {
public:
    enum class Kind { None, Device, Image };

    // What `path` names: a block device, a regular file (an image), or nothing usable.
    static Kind Classify(const std::string& path);
    // The machine's CD drives (device paths): /dev/cdrom and /dev/dvd when they are drives,
    // then the drives the kernel lists, each drive once.
    static std::vector<std::string> Devices();
    // The drive names ("sr0") in the "drive name:" line of the kernel's CD-ROM information
    // (/proc/sys/dev/cdrom/info), oldest drive first.
    static std::vector<std::string> DriveNames(std::string_view info);
    // True when `path` can serve as the CD drive: a CD device (with or without a disc) or an
    // image that holds a readable disc.
    static bool IsDrive(const std::string& path);
    // A new libcdio handle on a device or image, or nullptr; libcdio's messages are silenced.
    static CdIo_t* OpenHandle(const std::string& path, Kind kind);

    CdDrive(std::string path, Kind kind);
    ~CdDrive();
    CdDrive(const CdDrive&) = delete;
    CdDrive& operator=(const CdDrive&) = delete;

    const std::string& Path() const { return path_; }
    Kind GetKind() const { return kind_; }

    // The disc's table of contents; empty when no disc is readable (or the door is open).
    const CdToc& Toc();
    // Opens the tray (an image just reads as absent until the door is closed again).
    void OpenDoor();
    void CloseDoor();
    bool DoorOpen() const { return doorOpen_; }

private:
    static bool IsCdDevice(const std::string& path);
    void ReadToc();
    void Release();

    std::string path_;
    Kind kind_;
    CdIo_t* handle_ = nullptr;
    CdToc toc_;
    bool tocRead_ = false;
    bool doorOpen_ = false;
};

} // namespace zeb
