#include <iostream>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "designer/translate/web_translator.h"

namespace tabulo::cli {

int TranslateCommand(const Arguments& args) {
  Options options(args, {"--from", "--to"});
  if (!options.Error().empty()) return Fail(options.Error());
  if (!options.Has("--from") || !options.Has("--to") || options.Positional().size() != 1) {
    return Fail("usage: tabulo translate --from NAME --to NAME TEXT");
  }
  std::string source = options.Value("--from");
  TranslatorOptions translator;
  translator.base_address = TranslateBaseAddress();
  Translation result = TranslateUnicode(options.Positional()[0], source, options.Value("--to"), translator);
  if (!result.ok()) return Fail(result.message.empty() ? kCouldNotTranslateMessage : result.message);
  std::cout << result.text << "\n";
  return kExitOk;
}

}  // namespace tabulo::cli
