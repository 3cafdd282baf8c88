#pragma once

#include <QtGlobal>

namespace platform::ui {

// Some parts of the program live in modules of their own, so that the
// libraries they need are not loaded before the menu is on screen: the sound
// (Qt Multimedia) and the history's charts (Qt Charts). A module is looked
// for beside the installed program (the library folder of its prefix), then
// in the build tree (tests, benchmarks), loaded at its first use and kept.
//
// Each module says which version of its interface it was built for
// (KOTOHA_MODULE_VERSION); the caller names the version it was built for,
// kept beside the interface's function types. A module left over from
// another build, whose classes may be laid out otherwise, is refused as if it
// were missing.
//
// The function `symbol` of module `name`, or nullptr when the module, its
// version or the function is missing or the version is not `version` (told
// once on the terminal).
QFunctionPointer moduleFunction(const char *name, int version, const char *symbol);

inline constexpr char ModuleVersionSymbol[] = "kotohaModuleVersion";
using ModuleVersionFunction = int (*)();

} // namespace platform::ui

// Put once in a module's source, with its interface's version constant.
#define KOTOHA_MODULE_VERSION(version)                                                                                 \
    extern "C" Q_DECL_EXPORT int kotohaModuleVersion() { return (version); }
