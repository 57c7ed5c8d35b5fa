#include "designer/translate/translation_memory.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/files.h"
#include "designer/document/numbers.h"
#include "designer/translate/language_names.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::string Unescaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out.push_back(text[i]);
      continue;
    }
    const char next = text[++i];
    out.push_back(next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next);
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::optional<std::pair<std::string, std::string>> CodesOf(const std::string& from_name,
                                                           const std::string& to_name) {
  auto from = LanguageOf(from_name);
  auto to = LanguageOf(to_name);
  if (!from || !to) return std::nullopt;
  return std::make_pair(std::string(from->code), std::string(to->code));
}

}  // namespace

void TranslationMemory::Refresh() {
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0) {
    loaded_size_ = -1;
    service_.clear();
    hand_.clear();
    return;
  }
  if (info.st_size == loaded_size_ && info.st_mtime == loaded_mtime_) return;
  std::string bytes;
  if (!ReadWholeFile(path_, bytes)) return;
  service_.clear();
  hand_.clear();
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;  // a line still being written
    const std::vector<std::string> fields = Fields(bytes.substr(start, end - start));
    start = end + 1;
    if (fields.size() != 5 || (fields[0] != "s" && fields[0] != "h") || fields[4].empty()) continue;
    auto& entries = fields[0] == "h" ? hand_ : service_;
    entries[Key{fields[1], fields[2], Unescaped(fields[3])}] = Unescaped(fields[4]);
  }
  loaded_size_ = info.st_size;
  loaded_mtime_ = info.st_mtime;
}

std::optional<std::string> TranslationMemory::Find(const std::string& source_code,
                                                   const std::string& target_code, const std::string& text,
                                                   std::optional<MemoryOrigin> only) {
  Refresh();
  const Key key{source_code, target_code, text};
  if (only != MemoryOrigin::kService) {
    if (auto found = hand_.find(key); found != hand_.end()) return found->second;
  }
  if (only != MemoryOrigin::kHand) {
    if (auto found = service_.find(key); found != service_.end()) return found->second;
  }
  return std::nullopt;
}

std::string TranslationMemory::Remember(const std::string& source_code, const std::string& target_code,
                                        const std::string& text, const std::string& translation,
                                        MemoryOrigin origin) {
  if (text.empty() || translation.empty()) return {};
  if (Find(source_code, target_code, text, origin) == translation) return {};
  EnsureFolderOf(path_);
  const std::string line = std::string(origin == MemoryOrigin::kHand ? "h" : "s") + '\t' + source_code +
                           '\t' + target_code + '\t' + Escaped(text) + '\t' + Escaped(translation) + '\n';
  const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return "cannot open " + path_ + ": " + std::strerror(errno);
  const ssize_t written = ::write(fd, line.data(), line.size());
  const int write_error = errno;
  ::close(fd);
  if (written != static_cast<ssize_t>(line.size())) {
    return "cannot add to " + path_ + ": " + std::strerror(written < 0 ? write_error : ENOSPC);
  }
  (origin == MemoryOrigin::kHand ? hand_ : service_)[Key{source_code, target_code, text}] = translation;
  // What this program wrote need not be read again; another program's lines still are.
  struct stat info {};
  if (loaded_size_ >= 0 && ::stat(path_.c_str(), &info) == 0 &&
      info.st_size == loaded_size_ + static_cast<long long>(line.size())) {
    loaded_size_ = info.st_size;
    loaded_mtime_ = info.st_mtime;
  }
  return {};
}

std::string DefaultMemoryPath() {
  return MakerFolder() + "/translation-memory.txt";
}

MenuTexts::MenuTexts(const MenuDocument& doc) : doc_(doc) {
  std::vector<bool> seen(kMaxTranslatedPlu + 1, false);
  auto add = [this](int row, const std::string& text) {
    if (text.empty()) return;
    rows_.push_back(row);
    main_.emplace(row, text);
  };
  // The first catalogue entry with a number is the PLU of that number, as the catalogue look-ups have it.
  for (int t = 0; t < std::min(doc.NumPlus, kMaxPlus); ++t) {
    const double value = NumericValue(doc.PluNumber[t]);
    const int32_t number = WholeNumber(value);
    if (value != number || number < 1 || number > kMaxTranslatedPlu || seen[number]) continue;
    seen[number] = true;
    add(number, doc.PluDescription[t]);
  }
  for (int s = 0; s < kPageSlots; ++s) {
    const LineLayoutRecord& line = doc.LineLayout[s];
    if (line.Kind == kKindTitle || line.Kind == kKindNote) add(kLangRowLineText + s, line.Text);
  }
  for (int s = 0; s < kPageSlots; ++s) add(kLangRowTitleText + s, doc.LineLayout[s].TitleText);
}

std::string MenuTexts::Text(int row, int column) const {
  if (column < 1 || column > kLanguages) return {};
  if (column > 1) return doc_.Lang(row, column);
  auto found = main_.find(row);
  return found == main_.end() ? std::string() : found->second;
}

std::optional<std::string> MenuTranslation(const MenuDocument& doc, int from, int to,
                                           const std::string& text) {
  if (text.empty() || from == to) return std::nullopt;
  const MenuTexts texts(doc);
  for (int row : texts.Rows()) {
    if (texts.Text(row, from) != text) continue;
    std::string translation = texts.Text(row, to);
    if (!translation.empty()) return translation;
  }
  return std::nullopt;
}

std::optional<Recalled> Recall(const MenuDocument& doc, TranslationMemory* memory, int from, int to,
                               const std::string& from_name, const std::string& to_name,
                               const std::string& text, bool use_menu) {
  auto codes = memory ? CodesOf(from_name, to_name) : std::nullopt;
  if (codes) {
    if (auto hand = memory->Find(codes->first, codes->second, text, MemoryOrigin::kHand)) {
      return Recalled{*hand, true};
    }
  }
  if (use_menu) {
    if (auto own = MenuTranslation(doc, from, to, text)) return Recalled{*own, false};
  }
  if (codes) {
    if (auto before = memory->Find(codes->first, codes->second, text, MemoryOrigin::kService)) {
      return Recalled{*before, false};
    }
  }
  return std::nullopt;
}

void RememberTranslation(TranslationMemory* memory, const std::string& from_name, const std::string& to_name,
                         const std::string& text, const std::string& translation, MemoryOrigin origin) {
  if (!memory) return;
  if (auto codes = CodesOf(from_name, to_name)) {
    memory->Remember(codes->first, codes->second, text, translation, origin);
  }
}

}  // namespace tabulo
