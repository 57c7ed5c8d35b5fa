#pragma once
// The environment, read in one place by every program and by the radio library.

#include <optional>
#include <string>

namespace tabulo {

// The variable's value; nothing when it is unset or empty (an empty variable never overrides a setting).
std::optional<std::string> EnvironmentValue(const char* name);

}  // namespace tabulo
