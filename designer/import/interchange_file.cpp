#include "designer/import/interchange_file.h"

#include "designer/document/numbers.h"
#include "designer/import/imported_text.h"
#include "designer/storage/text_codec.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace tabulo {

StagedCatalogue ParseInterchangeText(std::string_view text, const std::string& file_name) {
  StagedCatalogue staged;
  std::vector<std::string_view> lines = SplitLines(text);
  while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  auto skip = [&](size_t index, const char* reason) {
    staged.skipped.push_back({file_name, SkippedLine::Unit::Line, static_cast<int>(index + 1), reason});
  };
  for (size_t index = 0; index < lines.size(); ++index) {
    std::string_view line = lines[index];
    if (Trim(line).empty()) {
      skip(index, kSkipEmpty);
      continue;
    }
    if (staged.entries.size() >= static_cast<size_t>(kMaxPlus)) {
      skip(index, kSkipCatalogueFull);
      continue;
    }
    size_t commas[5];
    size_t pos = 0;
    int found = 0;
    for (; found < 5; ++found) {
      size_t comma = line.find(',', pos);
      if (comma == std::string_view::npos) break;
      commas[found] = comma;
      pos = comma + 1;
    }
    if (found < 5) {
      skip(index, kSkipFewerFields);
      continue;
    }
    auto field = [&](int k) {
      return std::string(line.substr(commas[k - 1] + 1, commas[k] - commas[k - 1] - 1));
    };
    CatalogueEntry& entry = staged.entries.emplace_back();
    entry.PluNumber = field(1);
    entry.PluField2 = field(2);
    entry.PluField3 = field(3);
    entry.PluPrice = std::string(Trim(field(4)));
    entry.PluDescription = std::string(Trim(line.substr(commas[4] + 1)));
  }
  return staged;
}

bool ReadInterchangeFile(const std::string& path, StagedCatalogue& catalogue) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  catalogue = ParseInterchangeText(DecodeImportedText(bytes), FileNameOf(path));
  return true;
}

InterchangeWrite WriteInterchangeFile(const std::string& path, const std::vector<std::string>& lines) {
  InterchangeWrite result;
  size_t separator = path.find_last_of('/');
  if (separator != std::string::npos && separator > 0) {
    std::string folder = path.substr(0, separator);
    if (!EnsureFolder(folder)) {
      result.ok = false;
      result.error =
          "Cannot create the folder \"" + folder + "\" for the PLU file. The menu was left as it was.";
      return result;
    }
  }
  LineWriter text;
  size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 2;
  text.Reserve(bytes);
  for (const std::string& line : lines) text.Line(line);
  FileBatch batch;
  batch.Add(path, EncodeFileText(text.Text()));
  FileBatch::Result written = batch.Commit();
  if (!written.ok) {
    result.ok = false;
    result.error =
        "Cannot write the PLU file \"" + path + "\": " + written.error + ". The menu was left as it was.";
  }
  return result;
}

}  // namespace tabulo
