#pragma once

// The program's version, as the about box and SHOW RELEASE give it.
namespace version {

constexpr char kVersionLine[] = "Tarvex Version 1.11";
constexpr char kRelease[] = "1.11";

}  // namespace version
