#include "cd/CddbClient.h"

#include "cd/CdTitleDatabase.h"
#include "cd/MciDevice.h"
#include "engine/ThreadPriority.h"
#include "resources/ResourceIds.h"

namespace zeb {

namespace {

// The lowest of the thread priority steps the engine's threads use.
constexpr int kLowestPriorityStep = -2;

std::string DiscKeyOf(MciDevice& mci) {
    MciReply identity = mci.Send("info zeb identity");
    return CdTitleDatabase::DiscKey(identity.error == 0 ? identity.text : std::string());
}

} // namespace

CddbClient::CddbClient(CdTitleDatabase& database, MessageCallback showMessage,
                       CddbHttpLimits limits)
    : database_(database), showMessage_(std::move(showMessage)), limits_(limits) {}

CddbClient::~CddbClient() {
    Stop();
}

void CddbClient::SetMatchChooser(MatchChooser chooser) {
    chooseMatch_ = std::move(chooser);
}

bool CddbClient::Start(MciDevice& mci, const Settings& settings) {
    Stop();
    DiscToc toc = ReadDiscToc(mci);
    if (toc.TrackCount() <= 0)
        return false;
    std::string key = DiscKeyOf(mci);
    stop_ = false;
    running_ = true;
    worker_ = std::thread([this, toc, key, settings] { Run(toc, key, settings); });
    return true;
}

void CddbClient::Stop() {
    stop_ = true;
    if (worker_.joinable())
        worker_.join();
    running_ = false;
}

void CddbClient::Run(const DiscToc& toc, const std::string& key, const Settings& settings) {
    NameCurrentThread("zeb-cddb");
    SetThreadNice(CurrentThreadId(), NiceForPriorityStep(kLowestPriorityStep));
    bool declined = false;
    std::optional<CddbDisc> disc = LookUp(toc, settings, declined);
    bool stored =
        disc && !stop_ && database_.StoreDisc(key, disc->artist, disc->title, disc->trackNames);
    if (!stored && !declined && !stop_ && showMessage_)
        showMessage_(IDS_CDDB_FAILED);
    running_ = false;
}

std::optional<CddbDisc> CddbClient::LookUp(const DiscToc& toc, const Settings& settings,
                                           bool& declined) {
    auto queryReply = Fetch(CddbQueryUrl(settings.server, settings.email, toc));
    if (!queryReply)
        return std::nullopt;
    std::vector<CddbMatch> matches = ParseQueryReply(*queryReply);
    if (matches.empty())
        return std::nullopt;
    auto match = Choose(matches);
    declined = !match;
    if (!match || stop_)
        return std::nullopt;
    auto readReply = Fetch(CddbReadUrl(settings.server, settings.email, *match));
    if (!readReply)
        return std::nullopt;
    return ParseReadReply(*readReply);
}

std::optional<CddbMatch> CddbClient::Choose(const std::vector<CddbMatch>& matches) const {
    if (!chooseMatch_ || matches.size() == 1)
        return matches.front();
    std::optional<size_t> chosen = chooseMatch_(matches);
    if (!chosen || *chosen >= matches.size())
        return std::nullopt;
    return matches[*chosen];
}

std::optional<std::vector<std::string>> CddbClient::Fetch(const std::string& url) const {
    std::optional<std::string> body = FetchCddbText(url, limits_, stop_);
    if (!body)
        return std::nullopt;
    return SplitReplyLines(*body);
}

} // namespace zeb
