#include "designer/import/interchange_file.h"

#include <utility>

#include "base/files.h"
#include "base/text_codec.h"
#include "designer/import/imported_text.h"
#include "designer/storage/catalogue_line.h"
#include "platform/folders.h"

namespace tabulo {

StagedCatalogue ParseInterchangeText(std::string text, const std::string& file_name) {
  return StageTextLines(std::move(text), file_name, [](std::string_view line, CatalogueEntry& entry) {
    std::optional<CatalogueEntry> read = SplitCatalogueLine(line);
    if (!read) return kSkipFewerFields;
    entry = *read;
    return static_cast<const char*>(nullptr);
  });
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
  if (!EnsureFolderOf(path)) {
    result.ok = false;
    result.error =
        "Cannot create the folder \"" + FolderOf(path) + "\" for the PLU file. The menu was left as it was.";
    return result;
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
