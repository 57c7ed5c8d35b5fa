#pragma once
// SHA-256 digests of firmware files and their `sha256sum` form ("HEX  NAME" a line), the form in which the
// download server publishes a checksum beside a file and in which the offline cache keeps one beside each
// file it stores, so that `sha256sum -c` checks either by hand.

#include <optional>
#include <string>
#include <string_view>

namespace tabulo {

// The digest of `bytes` as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

// One line of `sha256sum` output for a file called `name`.
std::string Sha256SumLine(std::string_view hex, std::string_view name);

// The digest that `text` (a checksum file) gives for the file `name`, in lower case; nothing when the text is
// not in `sha256sum` form or names no such file. A line of the digest alone counts for any name, as some
// servers publish it that way.
std::optional<std::string> Sha256For(std::string_view text, std::string_view name);

}  // namespace tabulo
