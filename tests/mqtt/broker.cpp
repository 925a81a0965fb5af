#include "broker.h"

#include <mosquitto.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace tavrin::test {

namespace {

using Clock = std::chrono::steady_clock;

bool Accepts(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

int Spawn(std::vector<std::string> args, const std::string &log)
{
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

std::string Slurp(const std::string &path)
{
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

int FreeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr *>(&a), &size);
    close(fd);
    return ntohs(a.sin_port);
}

Broker::Broker(std::string folder) : folder_(std::move(folder)), port_(FreeLoopbackPort()) {}

bool Broker::Start(const Options &o, std::string &error)
{
    const passwd *me = getpwuid(geteuid());
    std::ofstream conf(folder_ + "/mosquitto.conf");
    // Run as root, mosquitto would otherwise become the user "mosquitto", who cannot read our files.
    conf << "user " << (me ? me->pw_name : "root") << "\nlistener " << port_ << " 127.0.0.1\n"
         << "allow_anonymous " << (o.passwordFile.empty() ? "true" : "false") << "\n"
         << (o.passwordFile.empty() ? "" : "password_file " + o.passwordFile + "\n")
         << "persistence " << (o.persistent ? "true" : "false") << "\npersistence_location " << folder_ << "/\n"
         << "max_queued_messages 0\n";
    if (!o.certFile.empty())
        conf << "cafile " << o.caFile << "\ncertfile " << o.certFile << "\nkeyfile " << o.keyFile << "\n";
    conf.close();
    const std::string log = folder_ + "/mosquitto.log";
    pid_ = Spawn({TAVRIN_MOSQUITTO_PATH, "-c", folder_ + "/mosquitto.conf"}, log);
    for (const auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
        int status = 0;
        if (pid_ < 0 || waitpid(pid_, &status, WNOHANG) == pid_)
            break;
        if (Accepts(port_))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Stop();
    error = "mosquitto (" TAVRIN_MOSQUITTO_PATH ", package mosquitto) did not start:\n" + Slurp(log);
    return false;
}

void Broker::Stop()
{
    if (pid_ < 0)
        return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string MakePasswordFile(const std::string &path, const std::string &user, const std::string &password)
{
    const int pid = Spawn({TAVRIN_MOSQUITTO_PASSWD_PATH, "-c", "-b", path, user, password}, path + ".log");
    int status = -1;
    if (pid > 0)
        waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "mosquitto_passwd failed: " + Slurp(path + ".log");
}

Subscriber::Subscriber(int port, const std::string &filter, const std::string &id, const std::string &user,
                       const std::string &password)
    : filter_(filter)
{
    mosquitto_lib_init();
    mosq_ = mosquitto_new(id.empty() ? nullptr : id.c_str(), id.empty(), this);
    mosquitto_connect_callback_set(mosq_, OnConnect);
    mosquitto_message_callback_set(mosq_, OnMessage);
    if (!user.empty())
        mosquitto_username_pw_set(mosq_, user.c_str(), password.c_str());
    mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
    if (mosquitto_connect(mosq_, "127.0.0.1", port, 10) == MOSQ_ERR_SUCCESS && mosquitto_loop_start(mosq_) == 0)
        WaitFor([this](const auto &) { return Connected(); }, std::chrono::seconds(10));
}

Subscriber::~Subscriber()
{
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
}

void Subscriber::OnConnect(mosquitto *mosq, void *self, int rc)
{
    auto *s = static_cast<Subscriber *>(self);
    if (rc == 0)
        mosquitto_subscribe(mosq, nullptr, s->filter_.c_str(), 1);
    std::lock_guard lock(s->mutex_);
    s->connected_ = rc == 0;  // the subscription is asked before any message can come
}

void Subscriber::OnMessage(mosquitto *, void *self, const mosquitto_message *m)
{
    auto *s = static_cast<Subscriber *>(self);
    std::lock_guard lock(s->mutex_);
    s->messages_.push_back({m->topic, std::string(static_cast<const char *>(m->payload), static_cast<size_t>(m->payloadlen)),
                            m->retain});
}

bool Subscriber::WaitFor(const std::function<bool(const std::vector<Received> &)> &done, std::chrono::seconds limit)
{
    for (const auto end = Clock::now() + limit;; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
        if (done(Messages()))
            return true;
        if (Clock::now() > end)
            return false;
    }
}

bool Subscriber::Connected()
{
    std::lock_guard lock(mutex_);
    return connected_;
}

std::vector<Received> Subscriber::Messages()
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<Received> Subscriber::Of(const std::string &leaf) { return Only(Messages(), leaf); }

std::vector<Received> Only(const std::vector<Received> &messages, const std::string &leaf)
{
    std::vector<Received> of;
    for (const Received &r : messages)
        if (r.topic.size() > leaf.size() && r.topic.compare(r.topic.size() - leaf.size() - 1, std::string::npos, "/" + leaf) == 0)
            of.push_back(r);
    return of;
}

long Seq(const std::string &payload)
{
    const size_t at = payload.find("\"seq\":");
    return at == std::string::npos ? -1 : std::stol(payload.substr(at + 6));
}

}  // namespace tavrin::test
