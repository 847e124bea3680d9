#pragma once
// The receiving side of command lines: one instance per bundle identifier.
//
// Start-up of a receiving program:
//   auto text = plat::StartupCommandLine(argc, argv);
//   plat::CommandLineServer server(bundleId);
//   if (server.ClaimInstance() == plat::CommandLineServer::Claim::Secondary)
//     return plat::HandOverCommandLine(bundleId, text.value_or(u"")) ? 0 : 1;
//   server.Listen(text);   // `text` becomes the first 'odoc', then socket frames follow
//   ... install the 'odoc' handler, create the main window ...
// Posted events wait for their handler, so listening early loses nothing.
//
// The socket is "<RuntimeFolder()>/<bundle identifier>.cmdl"; each frame
// received becomes an 'aevt'/'odoc' event posted to the default main context.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace plat {

// The command line a program was started with: the text of a
// "--cmdl=<UTF-8 text>" argument, else the plain arguments joined by blanks;
// nullopt when there are none (or the text is not valid UTF-8).
std::optional<std::u16string> StartupCommandLine(int argc, char** argv);

// true when `id` can name the socket and lock files (no '/', no leading '.').
bool IsValidBundleIdentifier(const std::string& id);

class CommandLineServer {
 public:
  enum class Claim { Primary, Secondary, Failed };

  explicit CommandLineServer(std::string bundleId);
  ~CommandLineServer();  // stops listening, removes the socket, drops the lock
  CommandLineServer(const CommandLineServer&) = delete;
  CommandLineServer& operator=(const CommandLineServer&) = delete;

  // Takes the instance lock "<id>.lock" for the life of this object.
  // Secondary: another instance of the same program holds it.
  Claim ClaimInstance();

  // Binds the socket (claiming the instance first if not done) and serves
  // it on the default main context. `startupText`, when given, is posted as
  // the first 'odoc'. false when the socket cannot be made or another
  // instance holds the lock.
  bool Listen(const std::optional<std::u16string>& startupText = std::nullopt);
  void Stop();

  // A client that has not sent its whole frame by then is dropped (default 5 s).
  void SetClientTimeout(std::chrono::milliseconds timeout);

  const std::string& socketPath() const { return socketPath_; }
  bool listening() const;

 private:
  struct Impl;
  std::string bundleId_;
  std::string socketPath_;
  std::unique_ptr<Impl> impl_;
};

// A second instance hands its command line to the running one: connects
// (retrying while the first instance is still starting, up to `wait`) and
// sends the frame. true when it was accepted.
bool HandOverCommandLine(const std::string& bundleId, const std::u16string& text,
                         std::chrono::milliseconds wait = std::chrono::seconds(10));

}  // namespace plat
