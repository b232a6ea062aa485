// The playlist window offscreen over 5000 and 100 000 entries: opening with
// its first paint, a repaint, a find through the find box, select all, and
// dragging a block of rows one row with the mouse; and the resident memory
// that an open window adds.
// Usage: playlist_window_bench [Google Benchmark flags]
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "shell/MainWndHost.h"
#include "ui/PlaylistList.h"
#include "ui/PlaylistWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace zeb;

// The windows around the main window are not there: every request is ignored.
class NoHost : public MainWndHost {
public:
    void UpdateStatus(bool) override {}
    void ShowMessage(int, MessageIcon) override {}
    void PostToUiThread(std::function<void()>) override {}
    void RunAfter(int, std::function<void()>) override {}
    void ExitProgram() override {}
    void RequestPowerOff() override {}
};

struct List {
    NoHost host;
    CMainWnd wnd{host, 1};

    explicit List(int n) {
        wnd.Language = 0;
        for (int i = 0; i < n; ++i) {
            wnd.Model().Append("/music/Artist " + std::to_string(i % 97) + "/Track " +
                               std::to_string(i) + ".mp3");
            wnd.Model().SetInfoAt(i, "Artist " + std::to_string(i % 97) + " - Track " +
                                         std::to_string(i) + " (03:" + std::to_string(10 + i % 50) +
                                         ")");
        }
        wnd.PlaylistW = 500;
        wnd.PlaylistH = 600;
    }
};

std::unique_ptr<PlaylistWindow> OpenWindow(CMainWnd& wnd) {
    auto window = std::make_unique<PlaylistWindow>(wnd);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    // The window paints once the platform reports it exposed.
    while (!window->windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    window->List()->viewport()->repaint();
    return window;
}

// The rows the last paint drew are the ones in sight from the top row.
bool PaintedInSight(PlaylistWindow& window) {
    const PlaylistList* rows = window.List();
    return rows->PaintedRowCount() > 0 && rows->FirstPaintedRow() == window.View().TopRow();
}

long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

void BM_OpenAndFirstPaint(benchmark::State& state) {
    List list(int(state.range(0)));
    OpenWindow(list.wnd); // Qt's one-time set-up (style, fonts) is not the window's
    for (auto _ : state) {
        auto window = OpenWindow(list.wnd);
        state.PauseTiming();
        if (!PaintedInSight(*window))
            state.SkipWithError("the window did not paint its rows");
        window.reset();
        state.ResumeTiming();
    }
}

// Scrolling by one row and back: every repaint draws all rows in sight.
void BM_Repaint(benchmark::State& state) {
    List list(int(state.range(0)));
    auto window = OpenWindow(list.wnd);
    const int middle = int(state.range(0)) / 2;
    int top = middle;
    for (auto _ : state) {
        top = top == middle ? middle + 1 : middle;
        window->View().SetTopRow(top);
        window->List()->viewport()->repaint();
    }
    if (!PaintedInSight(*window))
        state.SkipWithError("the repaint did not draw the rows in sight");
}

// A text that only the last entry's info line holds, typed into the find box.
void BM_Find(benchmark::State& state) {
    const int n = int(state.range(0));
    List list(n);
    auto window = OpenWindow(list.wnd);
    const QString text = QString("track %1 (").arg(n - 1);
    for (auto _ : state) {
        window->FindBox()->setText(text);
        window->List()->viewport()->repaint();
        state.PauseTiming();
        window->FindBox()->clear();
        state.ResumeTiming();
    }
    if (window->View().FirstSelected() != n - 1 || !PaintedInSight(*window))
        state.SkipWithError("the find did not show the last row");
}

void BM_SelectAll(benchmark::State& state) {
    List list(int(state.range(0)));
    auto window = OpenWindow(list.wnd);
    for (auto _ : state) {
        window->RunCommand(ID_PL_SELECT_ALL);
        window->List()->viewport()->repaint();
    }
}

// Ten rows in the middle of the list selected with Shift and dragged one row
// down and back with the mouse, in turns.
void BM_DragMove(benchmark::State& state) {
    const int n = int(state.range(0));
    List list(n);
    auto window = OpenWindow(list.wnd);
    PlaylistList* rows = window->List();
    QWidget* viewport = rows->viewport();
    window->View().SelectOnly(n / 2);
    const int height = rows->RowHeight();
    auto send = [&](QEvent::Type type, int row, Qt::MouseButtons buttons,
                    Qt::KeyboardModifiers modifiers) {
        const QPointF at(20, (row - window->View().TopRow()) * height + height / 2);
        QMouseEvent event(type, at, viewport->mapToGlobal(at), Qt::LeftButton, buttons, modifiers);
        QApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, n / 2 + 9, Qt::LeftButton, Qt::ShiftModifier);
    send(QEvent::MouseButtonRelease, n / 2 + 9, Qt::NoButton, Qt::NoModifier);
    int from = n / 2 + 9;
    for (auto _ : state) {
        const int to = from == n / 2 + 9 ? from + 1 : from - 1;
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::ShiftModifier);
        send(QEvent::MouseMove, to, Qt::LeftButton, Qt::NoModifier);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton, Qt::NoModifier);
        viewport->repaint();
        from = to;
    }
    if (window->View().SelectedCount() != 10)
        state.SkipWithError("the drag lost the selection");
}

// The resident memory that an open window adds over the list itself. Qt's
// one-time set-up is done by a window over a short list first, so that the
// long list's window finds none of its own memory freed and ready.
void BM_WindowMemory(benchmark::State& state) {
    List list(int(state.range(0)));
    List warmUp(10);
    OpenWindow(warmUp.wnd);
    long added = 0;
    for (auto _ : state) {
        const long before = ResidentKb();
        auto window = OpenWindow(list.wnd);
        added = ResidentKb() - before;
        benchmark::DoNotOptimize(window.get());
    }
    state.counters["added_kB"] = double(added);
}

BENCHMARK(BM_OpenAndFirstPaint)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Repaint)->Arg(5000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Find)->Arg(5000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAll)->Arg(5000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragMove)->Arg(5000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WindowMemory)->Arg(100000)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
