#pragma once

#include "cd/CddbHttp.h"
#include "cd/CddbProtocol.h"
#include "cd/DiscToc.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zeb {

class CdTitleDatabase;
class MciDevice;

// Looks up the names of the disc in the drive on a CDDB server and stores them
// in the title database. The table of contents is read on the caller's thread;
// the two requests run on one worker thread of the lowest priority, so the
// caller never waits on the network. Used from one (the interface) thread.
class CddbClient {
public:
    struct Settings {
        std::string server; // "host" or "host:port"
        std::string email;  // sent as the greeting's user and host
    };
    // Receives the id of a message to show (a failed lookup), on the worker.
    using MessageCallback = std::function<void(int stringId)>;
    // Picks one of several matches of an inexact query, on the worker: the
    // index of the match to read, or nothing to give up without a message.
    // The worker waits for it, and so does a Stop meanwhile: a chooser that
    // asks the user must return when the lookup is no longer wanted.
    using MatchChooser = std::function<std::optional<size_t>(const std::vector<CddbMatch>&)>;

    CddbClient(CdTitleDatabase& database, MessageCallback showMessage, CddbHttpLimits limits = {});
    ~CddbClient();
    CddbClient(const CddbClient&) = delete;
    CddbClient& operator=(const CddbClient&) = delete;

    // Replaces the default choice among inexact matches, the first one.
    // Set it while no lookup runs.
    void SetMatchChooser(MatchChooser chooser);

    // Stops a running lookup, reads the table of contents and the disc key
    // from `mci` (alias "zeb") and starts the worker. False, with nothing
    // started, when the disc has no tracks.
    bool Start(MciDevice& mci, const Settings& settings);
    // Ends a running lookup promptly; nothing is written and nothing shown.
    void Stop();
    // True from Start until the worker has finished.
    bool Running() const { return running_; }

private:
    void Run(const DiscToc& toc, const std::string& key, const Settings& settings);
    // The disc's names, or nothing; `declined` tells when the chooser gave up.
    std::optional<CddbDisc> LookUp(const DiscToc& toc, const Settings& settings, bool& declined);
    // `matches` is not empty.
    std::optional<CddbMatch> Choose(const std::vector<CddbMatch>& matches) const;
    std::optional<std::vector<std::string>> Fetch(const std::string& url) const;

    CdTitleDatabase& database_;
    MessageCallback showMessage_;
    MatchChooser chooseMatch_;
    CddbHttpLimits limits_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::thread worker_;
};

} // namespace zeb
