#include "platform/settings.h"

#include <string_view>
#include <vector>

#include "base/environment.h"
#include "base/files.h"
#include "platform/folders.h"

namespace tabulo {
namespace {

// Qt quotes a value with separators or outer spaces and escapes quotes, backslashes and control characters;
// an unquoted comma would make it a list. Only what a single text can hold is read back.
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(unsigned code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Qt quotes a value with separators or outer blanks and escapes quotes, backslashes and control characters
// (blanks outside quotes are not part of the value). Only what a single text can hold is read back.
std::string Unescape(std::string_view raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '"') continue;
    if (c != '\\' || i + 1 == raw.size()) {
      out += c;
      continue;
    }
    char escaped = raw[++i];
    switch (escaped) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'a':
        out += '\a';
        break;
      case 'b':
        out += '\b';
        break;
      case 'f':
        out += '\f';
        break;
      case 'v':
        out += '\v';
        break;
      case 'x': {
        unsigned code = 0;
        for (int digits = 0; digits < 4 && i + 1 < raw.size() && HexValue(raw[i + 1]) >= 0; ++digits)
          code = code * 16 + static_cast<unsigned>(HexValue(raw[++i]));
        AppendUtf8(code, out);
        break;
      }
      default:
        out += escaped;
        break;
    }
  }
  // "@" starts a typed value in Qt's form; a text that starts with it is stored with it doubled.
  if (out.rfind("@@", 0) == 0) out.erase(0, 1);
  return out;
}

std::string Escape(const std::string& value) {
  std::string text = value.rfind('@', 0) == 0 ? "@" + value : value;
  bool quote = !text.empty() &&
               (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' || text.back() == '\t');
  std::string out;
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case ',':
      case ';':
      case '=':
        quote = true;
        out += c;
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static const char kHex[] = "0123456789abcdef";
          out += "\\x";
          out += kHex[(c >> 4) & 0xF];
          out += kHex[c & 0xF];
        } else {
          out += c;
        }
    }
  }
  return quote ? "\"" + out + "\"" : out;
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string Trimmed(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return std::string(text.substr(begin, end - begin + 1));
}

// Where `key` is in the file: its section's header line, and its own line (npos when missing).
struct Place {
  std::string section;
  std::string name;
  size_t section_line = std::string::npos;
  size_t key_line = std::string::npos;
  size_t section_end = 0;  // the line after the section's last non-empty line
};

Place Find(const std::vector<std::string>& lines, const std::string& key) {
  Place place;
  size_t slash = key.find('/');
  place.section = slash == std::string::npos ? "General" : key.substr(0, slash);
  place.name = slash == std::string::npos ? key : key.substr(slash + 1);
  bool inside = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = Trimmed(lines[i]);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inside = line.substr(1, line.size() - 2) == place.section;
      if (inside) place.section_line = i, place.section_end = i + 1;
      continue;
    }
    if (!inside) continue;
    if (!line.empty()) place.section_end = i + 1;
    size_t equals = line.find('=');
    if (equals != std::string::npos && Trimmed(line.substr(0, equals)) == place.name) place.key_line = i;
  }
  return place;
}

}  // namespace

std::string SettingsFile() {
  std::string config =
      EnvironmentValue("XDG_CONFIG_HOME").value_or(EnvironmentValue("HOME").value_or(".") + "/.config");
  return config + "/TABULO/TABULO.conf";
}

std::optional<std::string> ReadSetting(const std::string& key) {
  std::string bytes;
  if (!ReadWholeFile(SettingsFile(), bytes)) return std::nullopt;
  std::vector<std::string> lines = Lines(bytes);
  Place place = Find(lines, key);
  if (place.key_line == std::string::npos) return std::nullopt;
  const std::string& line = lines[place.key_line];
  return Unescape(Trimmed(std::string_view(line).substr(line.find('=') + 1)));
}

bool WriteSetting(const std::string& key, const std::string& value) {
  std::string path = SettingsFile();
  std::string bytes;
  ReadWholeFile(path, bytes);
  std::vector<std::string> lines = Lines(bytes);
  Place place = Find(lines, key);
  std::string entry = place.name + "=" + Escape(value);
  if (place.key_line != std::string::npos) {
    lines[place.key_line] = entry;
  } else if (place.section_line != std::string::npos) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.section_end), entry);
  } else {
    if (!lines.empty() && !lines.back().empty()) lines.emplace_back();
    lines.push_back("[" + place.section + "]");
    lines.push_back(entry);
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  if (!EnsureFolderOf(path)) return false;
  FileBatch batch;
  batch.Add(path, out);
  return batch.Commit().ok;
}

}  // namespace tabulo
