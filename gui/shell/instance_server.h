#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QObject>

#include "instance_messages.h"

class QLocalServer;
class QLocalSocket;

// The running instance's end of the local socket: it takes frames from other programs of the
// same user and hands each complete one on. It never replies and never blocks: a connection
// that sends a malformed frame, comes from another user, or stays idle is closed, and the
// server goes on with the next.
class TInstanceServer : public QObject {
    Q_OBJECT

public:
    explicit TInstanceServer(QObject* parent = nullptr);
    ~TInstanceServer() override;

    // Listens under the name; a socket file left by an instance that was killed is removed
    // first. False when another instance listens there.
    bool listen(const std::string& name);
    std::string errorString() const;

    std::function<void(const InstanceMessage::Frame&)> onFrame;
    int idleTimeoutMs = 30000;

    // Sends frames to an instance listening under the name; false when none answers.
    static bool sendToRunning(const std::string& name, const std::vector<std::string>& frames,
                              int timeoutMs = 2000);

private:
    void acceptConnection();
    void read(QLocalSocket* socket);

    QLocalServer* m_server;
};
