#pragma once

namespace app {

// Reads every PNG the process opens (the style's frames and icons) with
// Qt's own PNG reader straight away. Without it, Qt first asks each
// installed image plugin whether it reads PNG, loading every one of them
// (four libraries on a bare Debian, some twenty with a desktop's extra
// formats) before the first picture of a start-up is read.
// Called once, before the application object is made.
void registerPngReader();

} // namespace app
