// The address box: Enter and its completions, the list of typed addresses and its registry
// history, the "Open" dialog, "Up" and the offline switch.
#pragma once

#include <functional>
#include <vector>

#include "frame/address_entry.h"
#include "frame/address_suggestions.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"

namespace zel {

class AddressBarView;
class SearchController;

class AddressBoxController : public FrameController {
 public:
  AddressBoxController(const FrameServices& services, AddressBarView* bar,
                       SearchController& search);

  // Enter in the address box with the modifier keys held.
  void OnAddressEnter(u16view text, ModifierState keys);
  // An entry of the address box's list was chosen.
  void OnAddressListChoice(u16view text);
  // An address given from outside the window (the command line, a later start handing its
  // address over): local paths and bare host names get what typed text gets, words are
  // searched; the address opens in a blank tab or a new one.
  void OpenGivenAddress(u16view text, bool show);
  // What was typed goes: the box shows the tab's address again.
  void RestoreAddress();
  const std::vector<u16>& typedAddresses() const { return typed_; }
  // The list of typed addresses to and from the registry (TypedURLs, url1 ...).
  void LoadTypedHistory();
  void SaveTypedHistory();
  void ClearTypedHistory();
  bool offline() const { return offline_; }

  // Where the suggestions under the typed text come from besides the typed addresses: the
  // favorites (at once) and the visited pages (looked up off the main loop; done may come
  // later or never).
  struct SuggestionSources {
    std::function<std::vector<AddressSuggestion>()> favorites;
    std::function<void(u16view text, std::function<void(std::vector<AddressSuggestion>)> done)>
        history;
  };
  void SetSuggestionSources(SuggestionSources sources) { sources_ = std::move(sources); }
  // The user changed the text in the box (not the program): the suggestions follow it.
  void OnAddressTyping(u16view text);

  void OnDeferredStartup() override;
  void OnPeriodicSave() override;
  void OnShutdown() override;

 private:
  void RegisterCommands();
  void NavigateTypedText(u16view text, bool newTab);
  void OpenDialog();

  FrameServices s_;
  AddressBarView* bar_;
  SearchController& search_;
  std::vector<u16> typed_;
  bool typedChanged_ = false;  // since the last load or save
  bool offline_ = false;
  SuggestionSources sources_;
  unsigned typingGeneration_ = 0;  // a lookup answered after newer typing is dropped
};

}  // namespace zel
