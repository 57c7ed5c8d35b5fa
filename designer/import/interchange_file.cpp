#include "designer/import/interchange_file.h"

#include <algorithm>
#include <utility>

#include "designer/document/numbers.h"
#include "designer/import/imported_text.h"
#include "designer/storage/catalogue_line.h"
#include "designer/storage/text_codec.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace tabulo {

StagedCatalogue ParseInterchangeText(std::string text, const std::string& file_name) {
  StagedCatalogue staged;
  staged.text = std::make_shared<const std::string>(std::move(text));
  std::vector<std::string_view> lines = SplitLines(*staged.text);
  while (!lines.empty() && Trim(lines.back()).empty()) lines.pop_back();
  staged.entries.reserve(std::min(lines.size(), static_cast<size_t>(kMaxPlus)));
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
    auto entry = SplitCatalogueLine(line);
    if (!entry) {
      skip(index, kSkipFewerFields);
      continue;
    }
    staged.entries.push_back(*entry);
  }
  return staged;
}

bool ReadInterchangeFile(const std::string& path, StagedCatalogue& catalogue) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  catalogue = ParseInterchangeText(DecodeImportedText(std::move(bytes)), FileNameOf(path));
  return true;
}

InterchangeWrite WriteInterchangeFile(const std::string& path, const std::vector<std::string>& lines) {
  LineWriter text;
  size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 2;
  text.Reserve(bytes);
  for (const std::string& line : lines) text.Line(line);
  return WriteInterchangeText(path, std::move(text.Text()));
}

InterchangeWrite WriteInterchangeText(const std::string& path, std::string text) {
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
  EncodeFileTextInPlace(text);
  FileBatch batch;
  batch.Add(path, std::move(text));
  FileBatch::Result written = batch.Commit();
  if (!written.ok) {
    result.ok = false;
    result.error =
        "Cannot write the PLU file \"" + path + "\": " + written.error + ". The menu was left as it was.";
  }
  return result;
}

}  // namespace tabulo
