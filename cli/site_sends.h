#pragma once
// tabulo send --sites: one menu to the base stations of many sites at once.

#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/link/menu_send.h"

namespace tabulo::cli {

struct Site {
  std::string name;
  std::string address;  // a port number, a device path, tcp://HOST:PORT or rfc2217://HOST:PORT
};

// The sites of a sites file: one a line, its name then its port address (the last word of the line);
// empty lines and lines starting with "#" are skipped. False with `error` on a line that names no address,
// or an address or name given twice.
bool ReadSitesFile(const std::string& path, std::vector<Site>& sites, std::string& error);

// Sends `doc` (its project files written at doc.ProjectBase) to every site, at most `jobs` at a time, each
// in a process of its own (the library keeps one menu link per process). Prints a progress line per site
// and the final report; exit 1 when any site failed.
int SendToSites(const MenuDocument& doc, const SendSettings& settings, const std::vector<Site>& sites,
                int jobs);

}  // namespace tabulo::cli
