#include "relay/broker_link.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace zc::relay {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr auto kConnectTimeout = std::chrono::seconds(10);
constexpr auto kLongestRetry = std::chrono::seconds(30);
constexpr size_t kLongestGatewayName = 256;
// "zeltochat/" and two names of at most 64 (see IsPlainName); longer topics are nobody's.
constexpr size_t kLongestTopic = 140;

std::string RandomSuffix() {
    std::random_device random;
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(random()));
    return text;
}

// Without the library's final full stop, since the log line goes on.
std::string ErrorText(int rc) {
    std::string text = rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc);
    if (text.ends_with('.')) text.pop_back();
    return text;
}

}  // namespace

BrokerLink::BrokerLink(BrokerConfig config) : config_(std::move(config)) {}

BrokerLink::~BrokerLink() {
    Stop();
    if (mosq_) mosquitto_destroy(mosq_);
    mosquitto_property_free_all(&gatewayProperty_);
    if (eventFd_ >= 0) close(eventFd_);
}

bool BrokerLink::Start(std::string& error) {
    static std::once_flag libraryReady;
    std::call_once(libraryReady, [] { mosquitto_lib_init(); });
    clientId_ = "zeltorelay-" + config_.site + "-" + RandomSuffix();
    topic_ = config_.Topic();
    eventFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    mosq_ = mosquitto_new(clientId_.c_str(), true, this);
    if (eventFd_ < 0 || !mosq_) {
        error = std::string("cannot set up the broker link: ") + std::strerror(errno);
        return false;
    }
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_threaded_set(mosq_, true);
    int rc = MOSQ_ERR_SUCCESS;
    if (!config_.user.empty())
        rc = mosquitto_username_pw_set(mosq_, config_.user.c_str(),
                                       config_.password.empty() ? nullptr : config_.password.c_str());
    if (rc == MOSQ_ERR_SUCCESS && config_.tls) {
        rc = config_.caFile.empty() ? mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                                    : mosquitto_tls_set(mosq_, config_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
    }
    if (rc == MOSQ_ERR_SUCCESS)
        rc = mosquitto_property_add_string_pair(&gatewayProperty_, MQTT_PROP_USER_PROPERTY, "gateway", clientId_.c_str());
    if (rc != MOSQ_ERR_SUCCESS) {
        error = "cannot set up the broker link: " + ErrorText(rc);
        return false;
    }
    mosquitto_connect_v5_callback_set(mosq_, &BrokerLink::OnConnect);
    mosquitto_subscribe_v5_callback_set(mosq_, &BrokerLink::OnSubscribe);
    mosquitto_message_v5_callback_set(mosq_, &BrokerLink::OnMessage);
    mosquitto_publish_v5_callback_set(mosq_, &BrokerLink::OnPublish);
    worker_ = std::thread([this] { Work(); });
    return true;
}

void BrokerLink::Stop() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

bool BrokerLink::Stopping() {
    std::lock_guard lock(mutex_);
    return stop_;
}

// Connects, serves the link until it fails, waits, and again: 1 s after a link that was up,
// doubling to 30 s while the broker stays away.
void BrokerLink::Work() {
    std::chrono::seconds retry(1);
    while (!Stopping()) {
        refusal_.clear();
        std::string reason;
        bool wasUp = false;
        int rc = mosquitto_connect_async(mosq_, config_.host.c_str(), config_.port, kKeepAliveSeconds);
        if (rc != MOSQ_ERR_SUCCESS) reason = ErrorText(rc);  // errno is still the failure's
        const auto started = std::chrono::steady_clock::now();
        while (reason.empty() && !Stopping()) {
            rc = mosquitto_loop(mosq_, 250, 1);
            wasUp = wasUp || up_;
            if (rc != MOSQ_ERR_SUCCESS)
                reason = refusal_.empty() ? ErrorText(rc) : refusal_;
            else if (!up_ && std::chrono::steady_clock::now() - started > kConnectTimeout)
                reason = refusal_.empty() ? "no answer within 10 s" : refusal_;
        }
        if (Stopping()) break;
        up_ = false;
        mosquitto_disconnect(mosq_);
        if (wasUp) retry = std::chrono::seconds(1);
        Post({Event::Kind::Down, reason, {}, {}, static_cast<int>(retry.count())});
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, retry, [this] { return stop_; });
        retry = std::min<std::chrono::seconds>(retry * 2, kLongestRetry);
    }
    if (up_.exchange(false)) {
        mosquitto_disconnect(mosq_);
        mosquitto_loop(mosq_, 100, 1);  // lets the DISCONNECT out
    }
}

void BrokerLink::OnConnect(mosquitto* mosq, void* self, int rc, int, const mosquitto_property*) {
    auto* link = static_cast<BrokerLink*>(self);
    if (rc != 0) {
        link->refusal_ = std::string("refused by the broker: ") + mosquitto_reason_string(rc);
        return;
    }
    const std::string room = "zeltochat/" + link->config_.room + "/+";
    // Our own publishes need not come back.
    const int subscribed = mosquitto_subscribe_v5(mosq, nullptr, room.c_str(), 0, MQTT_SUB_OPT_NO_LOCAL, nullptr);
    if (subscribed != MOSQ_ERR_SUCCESS) link->refusal_ = "cannot subscribe: " + ErrorText(subscribed);
}

// The link counts as up once the room is subscribed: what we publish then can be answered.
void BrokerLink::OnSubscribe(mosquitto*, void* self, int, int count, const int* granted, const mosquitto_property*) {
    auto* link = static_cast<BrokerLink*>(self);
    if (count < 1 || granted[0] > 2) {
        link->refusal_ = "the broker refused the subscription to the room";
        return;
    }
    link->unsent_ = 0;
    link->up_ = true;
    link->Post({Event::Kind::Up, {}, {}, {}, 0});
}

void BrokerLink::OnMessage(mosquitto*, void* self, const mosquitto_message* message, const mosquitto_property* props) {
    auto* link = static_cast<BrokerLink*>(self);
    if (message->payloadlen < 0 || static_cast<size_t>(message->payloadlen) > kMaxPayload || !message->topic ||
        strnlen(message->topic, kLongestTopic + 1) > kLongestTopic) {
        ++link->refused_;
        return;
    }
    std::string gateway;
    char* name = nullptr;
    char* value = nullptr;
    bool skip = false;
    for (const mosquitto_property* p = props;
         (p = mosquitto_property_read_string_pair(p, MQTT_PROP_USER_PROPERTY, &name, &value, skip)); skip = true) {
        if (gateway.empty() && name && value && std::strcmp(name, "gateway") == 0)
            gateway.assign(value, strnlen(value, kLongestGatewayName));
        std::free(name);
        std::free(value);
        name = value = nullptr;
    }
    link->Post({Event::Kind::Message, message->topic, std::move(gateway),
                std::string(static_cast<const char*>(message->payload), static_cast<size_t>(message->payloadlen)), 0});
}

void BrokerLink::OnPublish(mosquitto*, void* self, int, int, const mosquitto_property*) {
    auto* link = static_cast<BrokerLink*>(self);
    size_t unsent = link->unsent_.load();
    while (unsent > 0 && !link->unsent_.compare_exchange_weak(unsent, unsent - 1)) {
    }
}

void BrokerLink::Post(Event&& event) {
    {
        std::lock_guard lock(mutex_);
        if (event.kind == Event::Kind::Message) {
            if (queuedMessages_ >= kMaxQueued) {
                ++refused_;
                return;
            }
            ++queuedMessages_;
        }
        queue_.push_back(std::move(event));
    }
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(eventFd_, &one, sizeof one);
}

void BrokerLink::Take(std::deque<Event>& out) {
    uint64_t count = 0;
    [[maybe_unused]] ssize_t n = read(eventFd_, &count, sizeof count);
    out.clear();
    std::lock_guard lock(mutex_);
    out.swap(queue_);
    queuedMessages_ = 0;
}

bool BrokerLink::Publish(std::string_view packet) {
    if (!up_ || unsent_ >= kMaxUnsent) return false;
    const int rc = mosquitto_publish_v5(mosq_, nullptr, topic_.c_str(), static_cast<int>(packet.size()), packet.data(), 0,
                                        false, gatewayProperty_);
    if (rc != MOSQ_ERR_SUCCESS) return false;
    ++unsent_;
    return true;
}

}  // namespace zc::relay
