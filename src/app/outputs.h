#pragma once

#include <QByteArray>
#include <QString>

namespace model {
class DesignDocument;
class Session;
} // namespace model
namespace ui {
class Form1;
}

// What a headless run writes: messages on standard error, and its outputs.
namespace app {

struct Request;

// The exit codes: a run that failed, and incorrect usage.
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

void printErr(const QString& text);
// Standard output through the program's one checked writer: a full or
// closed stdout is a failed write (said on stderr).
bool writeStdout(const QByteArray& bytes);

// The sheet on standard output first, whatever happens; then every file
// the request names, prepared in memory and written only when none failed
// and the run did not (a live run whose station did not answer), all put
// in place together. Returns the exit code.
int writeOutputs(const Request& r, const model::Session& s, const model::DesignDocument& document,
                 ui::Form1* window);

} // namespace app
