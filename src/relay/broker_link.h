#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "relay/broker_config.h"

struct mosquitto;
struct mosquitto_message;
typedef struct mqtt5__property mosquitto_property;

namespace zc::relay {

// The relay's link to an MQTT broker (v5): publishes to the site's topic, hears the room's.
// libmosquitto runs on a thread of its own, so a slow name lookup or a dead broker never holds
// up the relay's loop; what it hears waits in a bounded queue and an eventfd says so.
class BrokerLink {
public:
    // What the link reports to the relay's loop, in order.
    struct Event {
        enum class Kind { Up, Down, Message } kind;
        std::string text;  // Down: why; Message: the topic
        std::string gateway;  // Message: the publisher's "gateway" property
        std::string payload;  // Message
        int retrySeconds = 0;  // Down
    };
    static constexpr size_t kMaxQueued = 1024;    // messages waiting for the loop
    static constexpr size_t kMaxUnsent = 1024;    // publishes waiting for the socket
    static constexpr size_t kMaxPayload = 4097;   // a chat packet and its zero byte

    explicit BrokerLink(BrokerConfig config);
    ~BrokerLink();
    BrokerLink(const BrokerLink&) = delete;
    BrokerLink& operator=(const BrokerLink&) = delete;

    bool Start(std::string& error);
    void Stop();
    // Readable while events wait; read it before Take.
    int EventFd() const { return eventFd_; }
    // Moves every waiting event into `out`, which it empties first.
    void Take(std::deque<Event>& out);
    // QoS 0 to the site's topic; false when the link is down or too far behind.
    bool Publish(std::string_view packet);

    const std::string& ClientId() const { return clientId_; }
    const BrokerConfig& Config() const { return config_; }
    // Messages refused before they reached the queue (too long, or the queue full).
    uint64_t Refused() const { return refused_.load(); }

private:
    static void OnConnect(mosquitto*, void* self, int rc, int flags, const mosquitto_property*);
    static void OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted, const mosquitto_property*);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message, const mosquitto_property* props);
    static void OnPublish(mosquitto*, void* self, int mid, int reason, const mosquitto_property*);
    void Work();
    void Post(Event&& event);
    bool Stopping();

    BrokerConfig config_;
    std::string clientId_;
    std::string topic_;
    mosquitto* mosq_ = nullptr;
    mosquitto_property* gatewayProperty_ = nullptr;
    int eventFd_ = -1;
    std::thread worker_;
    std::mutex mutex_;  // guards queue_, queuedMessages_ and stop_
    std::condition_variable wake_;
    std::deque<Event> queue_;
    size_t queuedMessages_ = 0;
    bool stop_ = false;
    std::atomic<bool> up_{false};
    std::atomic<size_t> unsent_{0};
    std::atomic<uint64_t> refused_{0};
    std::string refusal_;  // worker only: the broker's reason for refusing the connection
};

}  // namespace zc::relay
