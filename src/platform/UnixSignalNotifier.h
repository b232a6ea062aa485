#pragma once

#include <QObject>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace zeb {

// Turns Unix signals (SIGTERM, SIGHUP, SIGINT) into a Qt signal delivered on
// the event loop, so the program can end in order instead of being killed.
// One instance per process; the handler only writes to a pipe.
class UnixSignalNotifier : public QObject {
    Q_OBJECT
public:
    explicit UnixSignalNotifier(std::initializer_list<int> signalNumbers,
                                QObject* parent = nullptr);
    ~UnixSignalNotifier() override;

signals:
    void SignalReceived(int signalNumber);

private:
    void ReadPendingSignals();

    QSocketNotifier* notifier_ = nullptr;
    std::vector<int> signals_;
};

} // namespace zeb
