#pragma once

#include <QString>

// Parts of the program that bring large libraries (QtNetwork, QtPrintSupport)
// are modules of their own, loaded on their first use, so that no start pays
// for them. QtCore only.
namespace fileio {

// Where a module is and what it is called.
struct ProgramModule {
    const char* fileName;      // next to the program, as the build lays it out
    const char* installedPath; // relative to the program's folder, once installed
    const char* entry;         // the function it exports
    const char* what;          // for messages: "the network code"
};

// The module's entry point, looked for next to the program, then where it is
// installed, unless a path is given. The module stays loaded: the caller's
// objects live in its code. Null, and why, when it cannot be loaded.
void* moduleEntry(const ProgramModule& module, const QString& path, QString* why);

} // namespace fileio
