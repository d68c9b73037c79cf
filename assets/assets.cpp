#include "assets.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the generated registration function at the point of use, so it
// must not be expanded inside a namespace; this file-level helper keeps it outside.
static void initQuorvelAssets() {
    Q_INIT_RESOURCE(quorvel_assets);
    Q_INIT_RESOURCE(quorvel_raster);
}

namespace assets {

void init() {
    initQuorvelAssets();
}

} // namespace assets
