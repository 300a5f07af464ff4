#pragma once

#include "sim/line.h"

#include <QSocketNotifier>
#include <QTimer>

#include <memory>

namespace sim {

// The master side of a pseudo-terminal. Nobody listens while no process holds
// the slave open; answers sent then are dropped, as on a real line whose other
// end is closed.
class PtyLine : public Line
{
public:
    ~PtyLine() override { close(); }

    bool open(QString *error);

    QString slavePath() const { return m_slavePath; }
    bool listening() const override { return m_master >= 0 && m_peerPresent; }
    qint64 write(const QByteArray &bytes) override;
    void close() override;

private:
    void readAvailable();
    // A master reports a hang-up for as long as nobody holds the slave open.
    void checkPeer();
    void setPeerPresent(bool present);
    // What the last peer left unread would reach the next one, which a real
    // line would never deliver.
    void discardUnread();

    int m_master = -1;
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QTimer m_peerPoll;
    bool m_peerPresent = false;
    bool m_started = false;
};

} // namespace sim
