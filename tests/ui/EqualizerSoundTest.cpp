// The equalizer window changing what a private sound server plays while a
// real MP3 goes on: the bottom of the 16k bar cuts a high tone to a quarter
// and leaves a low tone alone; turning the equalizer off brings it back.
// Run by sound_server_test.sh, which records nothing itself: the null sink's
// monitor is recorded here.
#include "ModalDriver.h"
#include "engine/SoundRecorder.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "support/QuietHost.h"
#include "support/TempDir.h"
#include "ui/DialogControls.h"
#include "ui/EqualizerBar.h"
#include "ui/EqualizerWindow.h"

#include <QCheckBox>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using namespace zeb::test;

constexpr int kLowHz = 500;    // the first band
constexpr int kHighHz = 15000; // the last band (EQ10)

// Eight seconds of the low tone on the left and the high tone on the right,
// encoded by lame.
std::string EncodeTwoTones(const TempDir& dir) {
    const std::string wav = dir.File("tones.wav");
    const std::string mp3 = dir.File("tones.mp3");
    const std::string cmd = "sox -n -r 44100 -c 2 -b 16 '" + wav + "' synth 8 sine " +
                            std::to_string(kLowHz) + " sine " + std::to_string(kHighHz) +
                            " vol 0.5 && lame --quiet -b 192 '" + wav + "' '" + mp3 + "'";
    return std::system(cmd.c_str()) == 0 ? mp3 : std::string();
}

class EqualizerSound : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
    void TearDown() override {
        wnd_.Player().Stop();
        delete window_;
    }

    bool WaitFor(const std::function<bool()>& condition, std::chrono::seconds limit = 60s) {
        for (auto until = std::chrono::steady_clock::now() + limit;
             !condition() && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(20ms);
        return condition();
    }
    bool WaitForPosition(int ms) {
        return WaitFor([&] {
            return wnd_.Player().PositionMs() >= ms ||
                   wnd_.Player().GetState() == CMpegPlayer::Stopped;
        });
    }

    TempDir dir_;
    QuietHost host_;
    CMainWnd wnd_{host_, 1u};
    QPointer<EqualizerWindow> window_;
};

TEST_F(EqualizerSound, CuttingTheTopBandWhilePlayingLowersOnlyTheHighTone) {
    const std::string mp3 = EncodeTwoTones(dir_);
    ASSERT_FALSE(mp3.empty());
    wnd_.EnableEQ = 1;
    window_ = new EqualizerWindow(wnd_);
    window_->show();
    auto* top = FindControl<EqualizerBar>(window_, IDC_EQ_BAND10);
    auto* enable = FindControl<QCheckBox>(window_, IDC_EQ_ENABLE);
    ASSERT_TRUE(top && enable && enable->isChecked());

    Recorder recorder;
    ASSERT_TRUE(recorder.Running());
    CMpegPlayer& player = wnd_.Player();
    player.SetSource(mp3);
    ASSERT_TRUE(player.Open());
    player.Play();

    ASSERT_TRUE(WaitForPosition(2000));
    ASSERT_EQ(player.GetState(), CMpegPlayer::Playing) << "the track ended before the change";
    QTest::mouseClick(top, Qt::LeftButton, {}, QPoint(top->width() / 2, top->height() - 1));
    ASSERT_EQ(wnd_.EQ[9], -10);
    ASSERT_TRUE(WaitForPosition(5000));
    ASSERT_EQ(player.GetState(), CMpegPlayer::Playing) << "the track ended before the change";
    QTest::mouseClick(enable, Qt::LeftButton);
    ASSERT_EQ(wnd_.EnableEQ, 0);
    ASSERT_TRUE(WaitFor([&] { return player.GetState() == CMpegPlayer::Stopped; }));
    const std::vector<int16_t> samples = recorder.Stop();

    // Each 10 ms window that holds the low tone is full (the high tone at
    // its own level) or cut (near a quarter of it).
    double peak = 0;
    for (size_t f = 0; (f + kWindowFrames) * 2 <= samples.size(); f += kWindowFrames)
        peak = std::max(peak, AmplitudeAt(samples, f, 1, kHighHz));
    ASSERT_GT(peak, kPresentAmplitude);
    std::string timeline; // 'F' full, 'c' cut, '.' neither
    double lowFull = 0, lowCut = 0;
    int full = 0, cut = 0;
    for (size_t f = 0; (f + kWindowFrames) * 2 <= samples.size(); f += kWindowFrames) {
        const double low = AmplitudeAt(samples, f, 0, kLowHz);
        const double high = AmplitudeAt(samples, f, 1, kHighHz);
        if (low <= kPresentAmplitude) {
            timeline += '.';
        } else if (high > 0.7 * peak) {
            timeline += 'F';
            lowFull += low;
            ++full;
        } else if (high > 0.15 * peak && high < 0.35 * peak) {
            timeline += 'c';
            lowCut += low;
            ++cut;
        } else {
            timeline += '.';
        }
    }
    // The cut part: from the first tenth of a second of cut sound to the
    // last (a window where a tone sets in may look cut on its own).
    const std::string cutRun(10, 'c');
    const size_t firstCut = timeline.find(cutRun);
    ASSERT_NE(firstCut, std::string::npos) << timeline;
    const size_t lastCut = timeline.rfind(cutRun) + cutRun.size() - 1;
    // Full sound, then the cut for about three seconds, then full sound again.
    EXPECT_GE(std::count(timeline.begin(), timeline.begin() + long(firstCut), 'F'), 50) << timeline;
    EXPECT_GE(cut, 150) << timeline;
    EXPECT_LE(std::count(timeline.begin() + long(firstCut), timeline.begin() + long(lastCut), 'F'),
              5)
        << timeline;
    EXPECT_GE(std::count(timeline.begin() + long(lastCut), timeline.end(), 'F'), 100) << timeline;
    // The low band kept its level throughout.
    ASSERT_GT(full, 0);
    EXPECT_NEAR(lowCut / cut, lowFull / full, 0.1 * lowFull / full);
}

} // namespace
} // namespace zeb
