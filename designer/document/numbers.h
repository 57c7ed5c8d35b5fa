#pragma once
// Numbers as the menu's texts and files hold them: the value of a text, and the two forms numbers are
// written in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tabulo {

// The leading number of a text: blanks skipped, an optional sign, digits with at most one decimal point.
// Reading stops at the first character that cannot continue the number; "" and non-numbers give 0.
double NumericValue(std::string_view text);

// The value when the whole text, blanks around it allowed, is one number; nothing otherwise. With
// `decimal_comma` a "," is taken as the decimal point too (margins written on a system that uses one).
std::optional<double> StrictNumber(std::string_view text, bool decimal_comma = false);

// A value rounded to a whole 32-bit number: halves to even, as the original runtime stored a number into an
// integer field, and clamped to the 32-bit range so that no text can overflow it.
int32_t WholeNumber(double value);

// WholeNumber(NumericValue(text)).
int32_t IntegerValue(std::string_view text);

// True when the text starts (after blanks) with a number at all, so a reader can tell "0" from "abc".
bool HasLeadingNumber(std::string_view text);

// "Plain number" form: a space for a sign >= 0 (else "-"), the digits, one trailing space. " 47 ".
std::string PlainNumber(int32_t value);
// Fractions as the original runtime printed a single-precision number: up to 7 significant digits, no
// trailing zeros, no "0" before the point (" 47.5 ", " .5 ").
std::string PlainNumber(float value);

// "Signed text" form: the sign position and the digits, no trailing space. " 12", "-3".
std::string SignedText(int32_t value);

// Decimal text of a whole number, no sign position ("12", "-3").
std::string DecimalText(int64_t value);

// Blanks (spaces and tabs) removed from both ends.
std::string_view Trim(std::string_view text);

}  // namespace tabulo
