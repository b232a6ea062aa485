// libcdio, loaded when a drive or an image is first opened rather than at
// start: the drive list comes from the kernel (CdDrive::Devices), so a
// player that never plays a CD never loads the library. The functions below
// stand in for the ones the program calls and pass each call on to the
// library, loaded on first use. Without the library no drive or image opens,
// as when libcdio itself cannot open one.
#include "engine/LibraryOnDemand.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

namespace {

struct CdioFunctions {
    decltype(&::cdio_log_set_handler) setLogHandler = nullptr;
    decltype(&::cdio_open) open = nullptr;
    decltype(&::cdio_destroy) destroy = nullptr;
    decltype(&::cdio_get_media_changed) mediaChanged = nullptr;
    decltype(&::cdio_get_first_track_num) firstTrack = nullptr;
    decltype(&::cdio_get_num_tracks) trackCount = nullptr;
    decltype(&::cdio_get_track_lsn) trackLsn = nullptr;
    decltype(&::cdio_get_track_format) trackFormat = nullptr;
    decltype(&::cdio_read_audio_sectors) readAudio = nullptr;
    decltype(&::cdio_eject_media) eject = nullptr;
    decltype(&::cdio_close_tray) closeTray = nullptr;
};

using zeb::ResolveFunction;

CdioFunctions LoadLibrary() {
    return zeb::LoadFunctions<CdioFunctions>(
        "libcdio.so.19", "no CD can be played", [](void* library, CdioFunctions& f) {
            return ResolveFunction(library, "cdio_log_set_handler", f.setLogHandler) &&
                   ResolveFunction(library, "cdio_open", f.open) &&
                   ResolveFunction(library, "cdio_destroy", f.destroy) &&
                   ResolveFunction(library, "cdio_get_media_changed", f.mediaChanged) &&
                   ResolveFunction(library, "cdio_get_first_track_num", f.firstTrack) &&
                   ResolveFunction(library, "cdio_get_num_tracks", f.trackCount) &&
                   ResolveFunction(library, "cdio_get_track_lsn", f.trackLsn) &&
                   ResolveFunction(library, "cdio_get_track_format", f.trackFormat) &&
                   ResolveFunction(library, "cdio_read_audio_sectors", f.readAudio) &&
                   ResolveFunction(library, "cdio_eject_media", f.eject) &&
                   ResolveFunction(library, "cdio_close_tray", f.closeTray);
        });
}

// Loaded once, by whichever thread asks first.
const CdioFunctions& Cdio() {
    static const CdioFunctions functions = LoadLibrary();
    return functions;
}

template <auto Function, typename Result, typename... Args>
Result Forward(Result failed, Args... args) {
    return zeb::ForwardCall<&Cdio, Function>(failed, args...);
}

} // namespace

extern "C" {

cdio_log_handler_t cdio_log_set_handler(cdio_log_handler_t handler) {
    return Forward<&CdioFunctions::setLogHandler>(static_cast<cdio_log_handler_t>(nullptr),
                                                  handler);
}

CdIo_t* cdio_open(const char* source, driver_id_t driver) {
    return Forward<&CdioFunctions::open>(static_cast<CdIo_t*>(nullptr), source, driver);
}

void cdio_destroy(CdIo_t* cdio) {
    zeb::ForwardVoidCall<&Cdio, &CdioFunctions::destroy>(cdio);
}

int cdio_get_media_changed(CdIo_t* cdio) {
    return Forward<&CdioFunctions::mediaChanged>(static_cast<int>(DRIVER_OP_ERROR), cdio);
}

track_t cdio_get_first_track_num(const CdIo_t* cdio) {
    return Forward<&CdioFunctions::firstTrack>(static_cast<track_t>(CDIO_INVALID_TRACK), cdio);
}

track_t cdio_get_num_tracks(const CdIo_t* cdio) {
    return Forward<&CdioFunctions::trackCount>(static_cast<track_t>(CDIO_INVALID_TRACK), cdio);
}

lsn_t cdio_get_track_lsn(const CdIo_t* cdio, track_t track) {
    return Forward<&CdioFunctions::trackLsn>(static_cast<lsn_t>(CDIO_INVALID_LSN), cdio, track);
}

track_format_t cdio_get_track_format(const CdIo_t* cdio, track_t track) {
    return Forward<&CdioFunctions::trackFormat>(TRACK_FORMAT_ERROR, cdio, track);
}

driver_return_code_t cdio_read_audio_sectors(const CdIo_t* cdio, void* buffer, lsn_t lsn,
                                             uint32_t blocks) {
    return Forward<&CdioFunctions::readAudio>(DRIVER_OP_ERROR, cdio, buffer, lsn, blocks);
}

driver_return_code_t cdio_eject_media(CdIo_t** cdio) {
    return Forward<&CdioFunctions::eject>(DRIVER_OP_ERROR, cdio);
}

driver_return_code_t cdio_close_tray(const char* drive, driver_id_t* driver) {
    return Forward<&CdioFunctions::closeTray>(DRIVER_OP_ERROR, drive, driver);
}

} // extern "C"
