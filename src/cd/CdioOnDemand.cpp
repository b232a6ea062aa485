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

#define ZEB_CDIO_FUNCTIONS(F)                                                                      \
    F(cdio_log_set_handler)                                                                        \
    F(cdio_open)                                                                                   \
    F(cdio_destroy)                                                                                \
    F(cdio_get_media_changed)                                                                      \
    F(cdio_get_first_track_num)                                                                    \
    F(cdio_get_num_tracks)                                                                         \
    F(cdio_get_track_lsn)                                                                          \
    F(cdio_get_track_format)                                                                       \
    F(cdio_read_audio_sectors)                                                                     \
    F(cdio_eject_media)                                                                            \
    F(cdio_close_tray)

struct CdioFunctions {
    ZEB_CDIO_FUNCTIONS(ZEB_FUNCTION_MEMBER)
};

CdioFunctions LoadLibrary() {
    return zeb::LoadFunctions<CdioFunctions>("libcdio.so.19", "no CD can be played",
                                             [](void* library, CdioFunctions& functions) {
                                                 return true ZEB_CDIO_FUNCTIONS(ZEB_RESOLVE_MEMBER);
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
    return Forward<&CdioFunctions::cdio_log_set_handler>(static_cast<cdio_log_handler_t>(nullptr),
                                                         handler);
}

CdIo_t* cdio_open(const char* source, driver_id_t driver) {
    return Forward<&CdioFunctions::cdio_open>(static_cast<CdIo_t*>(nullptr), source, driver);
}

void cdio_destroy(CdIo_t* cdio) {
    zeb::ForwardVoidCall<&Cdio, &CdioFunctions::cdio_destroy>(cdio);
}

int cdio_get_media_changed(CdIo_t* cdio) {
    return Forward<&CdioFunctions::cdio_get_media_changed>(static_cast<int>(DRIVER_OP_ERROR), cdio);
}

track_t cdio_get_first_track_num(const CdIo_t* cdio) {
    return Forward<&CdioFunctions::cdio_get_first_track_num>(
        static_cast<track_t>(CDIO_INVALID_TRACK), cdio);
}

track_t cdio_get_num_tracks(const CdIo_t* cdio) {
    return Forward<&CdioFunctions::cdio_get_num_tracks>(static_cast<track_t>(CDIO_INVALID_TRACK),
                                                        cdio);
}

lsn_t cdio_get_track_lsn(const CdIo_t* cdio, track_t track) {
    return Forward<&CdioFunctions::cdio_get_track_lsn>(static_cast<lsn_t>(CDIO_INVALID_LSN), cdio,
                                                       track);
}

track_format_t cdio_get_track_format(const CdIo_t* cdio, track_t track) {
    return Forward<&CdioFunctions::cdio_get_track_format>(TRACK_FORMAT_ERROR, cdio, track);
}

driver_return_code_t cdio_read_audio_sectors(const CdIo_t* cdio, void* buffer, lsn_t lsn,
                                             uint32_t blocks) {
    return Forward<&CdioFunctions::cdio_read_audio_sectors>(DRIVER_OP_ERROR, cdio, buffer, lsn,
                                                            blocks);
}

driver_return_code_t cdio_eject_media(CdIo_t** cdio) {
    return Forward<&CdioFunctions::cdio_eject_media>(DRIVER_OP_ERROR, cdio);
}

driver_return_code_t cdio_close_tray(const char* drive, driver_id_t* driver) {
    return Forward<&CdioFunctions::cdio_close_tray>(DRIVER_OP_ERROR, drive, driver);
}

} // extern "C"
