// A real mosquitto broker run by a test on a free loopback port, and a subscriber that keeps what
// it receives: what the publisher sends is read as any MQTT client reads it.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace tavrin::test {

// A loopback port nobody listens on now.
int FreeLoopbackPort();

class Broker {
public:
    struct Options {
        bool persistent = false;   // keeps sessions and queued messages across a restart
        std::string passwordFile;  // made by MakePasswordFile; "" anonymous
        std::string caFile, certFile, keyFile;  // a TLS listener
    };

    // Config, log and persistence live in folder; the port is chosen once and kept on restarts.
    explicit Broker(std::string folder);
    ~Broker() { Stop(); }
    Broker(const Broker &) = delete;
    Broker &operator=(const Broker &) = delete;

    // Starts mosquitto and waits until it accepts connections; false with the reason (its log).
    bool Start(const Options &options, std::string &error);
    // SIGTERM (a persistent broker writes its sessions down) and wait.
    void Stop();
    int Port() const { return port_; }
    std::string Url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }

private:
    std::string folder_;
    int port_;
    int pid_ = -1;
};

// user:password in a password file, hashed by mosquitto_passwd; "" or why not.
std::string MakePasswordFile(const std::string &path, const std::string &user, const std::string &password);

struct Received {
    std::string topic, payload;
    bool retained = false;
};

class Subscriber {
public:
    // Subscribes to filter at QoS 1. A non-empty id is a persistent session: the broker keeps what
    // comes for it while it is away (and across its own restart when it is persistent).
    Subscriber(int port, const std::string &filter, const std::string &id = {}, const std::string &user = {},
               const std::string &password = {});
    ~Subscriber();
    Subscriber(const Subscriber &) = delete;
    Subscriber &operator=(const Subscriber &) = delete;

    bool Connected();
    // Waits until done(messages so far) holds, at most limit; done is given a copy.
    bool WaitFor(const std::function<bool(const std::vector<Received> &)> &done,
                 std::chrono::seconds limit = std::chrono::seconds(20));
    std::vector<Received> Messages();
    // The messages of one topic leaf ("trace", "status" ...), in order.
    std::vector<Received> Of(const std::string &leaf);

private:
    static void OnConnect(mosquitto *, void *self, int rc);
    static void OnMessage(mosquitto *, void *self, const mosquitto_message *message);

    mosquitto *mosq_ = nullptr;
    std::string filter_;
    bool connected_ = false;
    std::mutex mutex_;
    std::vector<Received> messages_;
};

// The messages of one topic leaf, in order.
std::vector<Received> Only(const std::vector<Received> &messages, const std::string &leaf);
// The "seq" of a payload; -1 without one.
long Seq(const std::string &payload);

}  // namespace tavrin::test
