// libFuzzer harness for the reading of update.ini: the raw bytes of the file as a server
// may send them, through the whole check of the update client (description fetched from a
// scratch folder, versions compared, package address taken).
//
// Besides crashes, leaks and out-of-bounds reads, it checks what update_rules.h and
// update_worker.h promise: the kept description is the first 510 bytes of the file, a
// version is at most 4 characters of it, the package address is its tail, the package is
// asked for only after a newer version with an https package address and a SHA-256 digest,
// the question only after a downloaded package whose bytes have that digest (any other
// package is deleted again), and a No never starts anything.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/files.h"
#include "update/update_rules.h"
#include "update/update_worker.h"

using namespace zel;

namespace {

#define FUZZ_CHECK(cond)                                                                  \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "update_ini_fuzz: %s:%d: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

constexpr char kIni[] = "https://u.test/update.ini";
// What every package request is answered with, and its SHA-256.
constexpr char kPackageBytes[] = "package";
constexpr char kPackageDigest[] = "bc4a71180870f7945155fbb02f4b0a2e3faa2a62d6d31b7039013055ed19869a";

class BytesEnv : public UpdateEnv {
 public:
  explicit BytesEnv(std::string_view bytes) : bytes_(bytes) {}
  void Notify(u16view) override {}
  // The first download is the description; every later one is the package, even when the
  // file names the description's own address as the package's.
  bool Download(const std::string& url, const std::string& path, size_t) override {
    if (!described_ && url == kIni) {
      described_ = true;
      return WriteFileAtomic(path, std::string(bytes_));
    }
    ++packageRequests;
    return WriteFileAtomic(path, kPackageBytes);
  }
  void ShowMessage(u16view) override { ++messages; }
  bool AskYesNo(u16view) override {
    ++questions;
    return false;
  }
  bool Wait(int) override { return true; }
  bool OpenPackage(const std::string&) override {
    ++opened;
    return true;
  }
  void ExitBrowser() override { ++exits; }
  int packageRequests = 0, messages = 0, questions = 0, opened = 0, exits = 0;

 private:
  std::string_view bytes_;
  bool described_ = false;
};

std::string& Folder() {
  static std::string folder = [] {
    char tmpl[] = "/tmp/update_ini_fuzz.XXXXXX";
    const char* made = mkdtemp(tmpl);
    return std::string(made ? made : "/tmp") + "/update";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string kept = CutDescription(bytes);
  FUZZ_CHECK(kept.size() <= kUpdateDescriptionMax);
  FUZZ_CHECK(bytes.substr(0, kept.size()) == kept);

  for (const char* key : {"VER", "VET"}) {
    std::optional<std::string> v = DescriptionVersion(kept, key);
    FUZZ_CHECK(v.has_value() == (kept.find(key) != std::string::npos));
    if (v) {
      FUZZ_CHECK(v->size() <= 4);
      FUZZ_CHECK(v->empty() || kept.compare(kept.find(key) + 4, v->size(), *v) == 0);
      ReadVersionNumber(*v);
    }
  }
  std::optional<std::string> url = DescriptionPackageUrl(kept);
  FUZZ_CHECK(url.has_value() == (kept.find("URL") != std::string::npos));
  if (url) FUZZ_CHECK(kept.size() >= url->size() && kept.compare(kept.size() - url->size(), url->size(), *url) == 0);

  for (bool manual : {false, true}) {
    UpdateClient c;
    c.title = u"Zel";
    c.version = u"1.01";
    c.package = "zel-update.deb";
    c.folder = Folder();
    c.updateAddress = kIni;
    c.manual = manual;
    BytesEnv env(bytes);
    RunUpdateCheck(c, env);
    FUZZ_CHECK(c.description == kept);
    std::optional<std::string> offered = DescriptionVersion(kept, manual ? "VET" : "VER");
    bool newer = offered && IsNewerVersion(*offered, "1.01");
    const std::optional<std::string> digest = DescriptionPackageDigest(kept);
    if (digest) FUZZ_CHECK(digest->size() == 64 && kept.find("SHA256=") != std::string::npos);
    bool wantsPackage = newer && url && !PackageRequestUrl(*url).empty() && digest &&
                        IsSecureUpdateAddress(PackageRequestUrl(*url));
    bool matches = wantsPackage && *digest == kPackageDigest;
    FUZZ_CHECK(env.packageRequests == (wantsPackage ? 1 : 0));
    FUZZ_CHECK(env.messages == (manual && offered && !newer ? 1 : 0));
    // Only the package whose digest the offer gives is kept and asked about; No starts nothing.
    FUZZ_CHECK(env.questions == (matches ? 1 : 0));
    FUZZ_CHECK(FileExists(JoinPath(Folder(), "zel-update.deb")) == matches);
    FUZZ_CHECK(env.opened == 0 && env.exits == 0);
    std::remove(JoinPath(Folder(), "zel-update.deb").c_str());
    FUZZ_CHECK(!FileExists(JoinPath(Folder(), "update.ini")));
  }
  return 0;
}
