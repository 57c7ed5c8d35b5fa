#include "designer/link/menu_send.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/files.h"
#include "base/text_codec.h"
#include "designer/document/catalogue_lookup.h"
#include "designer/document/numbers.h"
#include "designer/link/button_numbers.h"
#include "designer/link/language_block.h"
#include "designer/storage/project_layout.h"

namespace tabulo {
namespace {

constexpr int kMenuMode = 1;
constexpr int kMenuNetwork = 65535;
constexpr int kUploadUnknown = -3;    // menu_upload could not learn whether the base stored the menu
constexpr int kUploadCancelled = -4;  // menu_upload stopped by the transfer progress

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(' ') == std::string_view::npos;
}

// The first catalogue entry (indices 0..NumPlus, as the catalogue lookups scan) of each PLU number, built
// once so that a long definitions file does not scan the catalogue for every code.
class FirstEntryByNumber {
 public:
  FirstEntryByNumber(const MenuDocument& doc, int num_plus) {
    for (int i = std::min(num_plus, kMaxPlus - 1); i >= 0; --i) first_[PluValue(doc, i)] = i;
  }
  std::optional<int> Find(double number) const {
    if (number == 0) return std::nullopt;  // no PLU is numbered 0; "0" marks a deleted entry
    auto found = first_.find(number);
    return found == first_.end() ? std::nullopt : std::optional<int>(found->second);
  }

 private:
  std::unordered_map<double, int> first_;
};

class Sender {
 public:
  Sender(const MenuDocument& doc, KestrelApi& api, const SendSettings& settings)
      : doc_(doc),
        api_(api),
        buttons_(doc, settings.plain_pages),
        old_firmware_(settings.old_firmware),
        num_plus_(std::clamp(doc.NumPlus, 0, kMaxPlus)),
        num_modifiers_(std::clamp(doc.NumModifiers, 0, kMaxModifiers)),
        sent_as_modifier_(kMaxPlus, false) {}

  void PhaseA(SendResult& result) {
    std::string bytes;
    if (!ReadWholeFile(doc_.ProjectBase + kModifierDefinitionsFile, bytes)) return;
    std::string text = DecodeFileText(bytes);
    std::vector<std::string_view> lines = SplitLines(text);
    FirstEntryByNumber entries(doc_, num_plus_);
    int depth = 0;
    size_t i = 0;
    while (i < lines.size()) {
      std::string_view name = lines[i++];
      if (!name.empty()) {
        std::string library_name = LibraryText(name);
        api_.radio_make_tree_mkdir(library_name);
        api_.radio_make_tree_cd(library_name);
        ++depth;
      }
      while (i < lines.size()) {
        std::string_view line = lines[i++];
        if (IsBlank(line)) {
          if (depth > 0) {
            --depth;
            api_.radio_make_tree_cd_back();
          }
          break;
        }
        auto j = entries.Find(NumericValue(line));
        if (!j) continue;  // a code of no catalogue entry (or no number at all) sends nothing
        int32_t n = IntegerValue(doc_.PluNumber[*j]);
        api_.menu_modifier(n, PluLanguageBlock(doc_, *j, old_firmware_), buttons_.Of(n));
        sent_as_modifier_[*j] = true;
        ++result.choices;
      }
    }
  }

  void PhaseB(SendResult& result) {
    // The field 3 value with which each family group's products start.
    std::unordered_set<double> group_starts;
    for (int j = 0; j < num_plus_; ++j) {
      double group = NumericValue(doc_.PluField2[j]);
      if (group != 0) group_starts.insert(group + 32);
    }
    for (int j = 0; j < num_plus_; ++j) {
      double group = NumericValue(doc_.PluField2[j]);
      if (group == 0) continue;
      std::string name = LibraryText(doc_.PluDescription[j]);
      api_.radio_make_tree_mkdir(name);
      api_.radio_make_tree_cd(name);
      int k = 1;
      while (k < num_plus_ &&
             !(NumericValue(doc_.PluField3[k]) == group + 32 && NumericValue(doc_.PluField2[k]) == 0)) {
        ++k;
      }
      // The members run on while their field 3 counts up by one; the catalogue's end ends them too, and so
      // does the product that starts another family group: a back-office that numbers its products straight
      // through would otherwise hand each family every later family's products as well.
      if (k < num_plus_) {
        do {
          int32_t n = IntegerValue(doc_.PluNumber[k]);
          api_.menu_item(n, PluLanguageBlock(doc_, k, old_firmware_), LibraryText(doc_.PluPrice[k]),
                         buttons_.Of(n));
          ++result.items;
          ForEachLevel(doc_.PluDescription[k], [&](const ModifierRecord& m, int l) {
            api_.radio_make_tree_modifier_min_max(LibraryText(m.LevelName[l]), m.Obrigatorio[l], m.Minimo[l],
                                                  m.Maximo[l]);
          });
          ++k;
        } while (k < num_plus_ &&
                 NumericValue(doc_.PluField3[k]) == NumericValue(doc_.PluField3[k - 1]) + 1 &&
                 !group_starts.contains(NumericValue(doc_.PluField3[k])));
      }
      api_.radio_make_tree_cd_back();
    }
  }

  void PhaseC(SendResult& result) {
    for (int j = 0; j < num_plus_; ++j) {
      if (sent_as_modifier_[j] || !PluHasButton(doc_, buttons_, j)) continue;
      int32_t n = IntegerValue(doc_.PluNumber[j]);
      api_.menu_item(n, PluLanguageBlock(doc_, j, old_firmware_), LibraryText(doc_.PluPrice[j]),
                     buttons_.Of(n));
      ++result.items;
      ForEachLevel(doc_.PluDescription[j], [&](const ModifierRecord& m, int l) {
        api_.menu_item_modifier_group(LibraryText(m.LevelName[l]), m.Minimo[l], m.Maximo[l], m.Default[l]);
      });
    }
  }

 private:
  // Every level of every modifier record named exactly `description`, in record order.
  template <class F>
  void ForEachLevel(const std::string& description, F&& call) {
    for (int m = 0; m < num_modifiers_; ++m) {
      const ModifierRecord& record = doc_.Modifiers[m];
      if (record.Name != description) continue;
      for (int l = 0; l < std::clamp(record.NumLevels, 0, kMaxLevels); ++l) call(record, l);
    }
  }

  const MenuDocument& doc_;
  KestrelApi& api_;
  ButtonNumbers buttons_;
  bool old_firmware_;
  int num_plus_;
  int num_modifiers_;
  std::vector<bool> sent_as_modifier_;
};

}  // namespace

int PortNumberOfText(const std::string& text) {
  return IntegerValue(text);
}

std::string PortAddressOfText(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(" \t");
  std::string trimmed = text.substr(first, last - first + 1);
  bool address = trimmed.rfind("tcp://", 0) == 0 || trimmed.rfind("rfc2217://", 0) == 0 || trimmed[0] == '/';
  return address ? trimmed : "";
}

SendResult SendMenu(const MenuDocument& doc, KestrelApi& api, const SendSettings& settings,
                    SendProgress* progress) {
  SendResult result;
  if (!settings.port_address.empty() && !api.SetPortAddress(settings.port, settings.port_address)) {
    result.outcome = SendOutcome::kNotOpened;
    result.error = "this radio library reaches its ports by number only, not at " + settings.port_address;
    return result;
  }
  if (api.menu_init(settings.port, kMenuMode, kMenuNetwork) < 0) {
    result.outcome = SendOutcome::kNotOpened;
    result.error = api.LastError();
    return result;
  }
  Sender sender(doc, api, settings);
  sender.PhaseA(result);
  sender.PhaseB(result);
  sender.PhaseC(result);
  api.radio_set_entry(kLanguageNamesEntry, LanguageNamesBlock(doc, settings.old_firmware));
  if (progress) {
    progress->UploadStarting();
    api.SetTransferProgress(progress);
  }
  int uploaded = api.menu_upload();
  bool stored = uploaded >= 0;
  if (!stored) result.error = api.LastError();
  if (progress) {
    api.SetTransferProgress(nullptr);
    progress->UploadFinished(stored);
  }
  api.menu_close();
  result.outcome = stored                         ? SendOutcome::kSent
                   : uploaded == kUploadCancelled ? SendOutcome::kCancelled
                   : uploaded == kUploadUnknown   ? SendOutcome::kUnknown
                                                  : SendOutcome::kFailed;
  return result;
}

const char* CaptionAfterSend(SendOutcome outcome) {
  switch (outcome) {
    case SendOutcome::kSent:
      return kSentCaption;
    case SendOutcome::kFailed:
      return kSendFailedCaption;
    case SendOutcome::kCancelled:
      return kSendCancelledCaption;
    case SendOutcome::kUnknown:
      return kSendUnconfirmedCaption;
    case SendOutcome::kNotOpened:
      return "";
  }
  return "";
}

}  // namespace tabulo
