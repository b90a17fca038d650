#include "fakes/fake_engine.h"

namespace zel::test {

void FakeEngine::Navigate2(const NavRequest& r) {
  calls.push_back("Navigate2 " + ToUtf8(r.url));
  BeforeNavigateArgs args;
  args.url = r.url;
  args.flags = r.flags;
  args.targetFrame = r.targetFrame;
  args.isPost = !r.postData.empty();
  args.postData = r.postData;
  if (events) events->OnBeforeNavigate2(args);
  if (args.cancel) {
    cancelled.push_back(r.url);
    return;
  }
  navigations.push_back(r.url);
  pending = r.url;
  busy = true;
}

void FakeEngine::FinishLoad(u16view pageTitle) {
  location = pending;
  title = u16(pageTitle);
  if (!events) return;
  events->OnProgressChange(0, 10000);
  events->OnNavigateComplete2(location);
  events->OnProgressChange(5000, 10000);
  events->OnTitleChange(title);
  busy = false;
  events->OnProgressChange(-1, 10000);
  events->OnDocumentComplete(location, true);
}

std::unique_ptr<Engine> FakeEngineFactory::Create(Engine* related) {
  if (fail) return nullptr;
  auto e = std::make_unique<FakeEngine>();
  e->related = static_cast<FakeEngine*>(related);
  created.push_back(e.get());
  return e;
}

}  // namespace zel::test
