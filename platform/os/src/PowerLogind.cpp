// The system's sleep through systemd-logind on the system bus: a delay
// inhibitor while any client is registered (released once the clients were
// told "will sleep", taken again on waking), an idle inhibitor while a
// client holds the machine awake, and the PrepareForSleep signal.
#include <gio/gio.h>
#include <gio/gunixfdlist.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "os/Power.h"

namespace plat {

namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

class LogindPowerSource : public PowerSource {
 public:
  ~LogindPowerSource() override {
    Release(delay_);
    Release(idle_);
    if (bus_ && signal_) g_dbus_connection_signal_unsubscribe(bus_, signal_);
    if (bus_) g_object_unref(bus_);
  }

 protected:
  void ClientsChanged() override {
    if (clients_.empty()) {
      Release(delay_);
      return;
    }
    if (!Connect()) return;
    if (delay_ < 0) delay_ = Inhibit("sleep", "Pausing playback and finishing a recording before sleep", "delay");
  }
  void AwakeChanged(bool held, const std::string& why) override {
    if (!held) {
      Release(idle_);
    } else if (Connect() && idle_ < 0) {
      idle_ = Inhibit("idle", why.empty() ? "Playing" : why.c_str(), "block");
    }
  }

 private:
  bool Connect() {
    if (bus_) return true;
    if (failed_) return false;
    GError* error = nullptr;
    bus_ = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
    if (bus_) {
      // Is logind there at all?
      GVariant* owner = g_dbus_connection_call_sync(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "GetNameOwner", g_variant_new("(s)", kLogind),
                                                    G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, &error);
      if (owner) {
        g_variant_unref(owner);
      } else {
        g_object_unref(bus_);
        bus_ = nullptr;
      }
    }
    if (!bus_) {
      failed_ = true;
      std::fprintf(stderr, "Dunsellow: no systemd-logind (%s); the system's sleep is not watched\n",
                   error ? error->message : "no system bus");
      if (error) g_error_free(error);
      return false;
    }
    signal_ = g_dbus_connection_signal_subscribe(bus_, kLogind, kManager, "PrepareForSleep", kManagerPath, nullptr,
                                                 G_DBUS_SIGNAL_FLAGS_NONE, &LogindPowerSource::OnPrepareForSleep,
                                                 this, nullptr);
    return true;
  }

  // A file descriptor that holds the inhibitor until closed; -1 when refused.
  int Inhibit(const char* what, const char* why, const char* mode) {
    GUnixFDList* fds = nullptr;
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_with_unix_fd_list_sync(
        bus_, kLogind, kManagerPath, kManager, "Inhibit", g_variant_new("(ssss)", what, "Dunsellow", why, mode),
        G_VARIANT_TYPE("(h)"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, &fds, nullptr, &error);
    int fd = -1;
    if (reply) {
      gint32 index = -1;
      g_variant_get(reply, "(h)", &index);
      if (fds) fd = g_unix_fd_list_get(fds, index, nullptr);
      g_variant_unref(reply);
    } else {
      std::fprintf(stderr, "Dunsellow: logind refused the %s inhibitor: %s\n", what, error ? error->message : "");
    }
    if (fds) g_object_unref(fds);
    if (error) g_error_free(error);
    return fd;
  }

  static void Release(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }

  static void OnPrepareForSleep(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                                GVariant* parameters, gpointer data) {
    auto* self = static_cast<LogindPowerSource*>(data);
    gboolean start = FALSE;
    g_variant_get(parameters, "(b)", &start);
    if (start) {
      self->Deliver(PowerMessage::kSystemWillSleep);
      // Everyone has finished: the machine may go.
      Release(self->delay_);
    } else {
      self->Deliver(PowerMessage::kSystemHasPoweredOn);
      if (!self->clients_.empty() && self->delay_ < 0)
        self->delay_ = self->Inhibit("sleep", "Pausing playback and finishing a recording before sleep", "delay");
    }
  }

  GDBusConnection* bus_ = nullptr;
  guint signal_ = 0;
  bool failed_ = false;
  int delay_ = -1;
  int idle_ = -1;
};

}  // namespace

std::unique_ptr<PowerSource> MakeLogindPowerSource() { return std::make_unique<LogindPowerSource>(); }

}  // namespace plat
