#pragma once

// Resource paths of the compiled-in artwork. Each is an SVG drawn at the pixel size the
// window lays its control out at, so it can be rendered 1:1 (or scaled for high-density
// screens).
namespace assets {

// Registers the artwork with Qt's resource system. Call once before the first load (a
// second call does no harm); a static library's resources are not guaranteed to be
// registered without it.
void init();

inline constexpr char graphBackground[] = ":/picgraph_background.svg"; // 669 x 432 px
inline constexpr char chartBackground[] = ":/picchart_background.svg"; // 670 x 204 px
inline constexpr char warning[] = ":/warning.svg";                     // 200 x 60 px
inline constexpr char sliderTrack[] = ":/slider_track.svg";            // 218 x 39 px
inline constexpr char sliderKnob[] = ":/slider_knob.svg";              // 11 x 21 px
inline constexpr char lockClosed[] = ":/lock_closed.svg";              // 17 x 17 px
inline constexpr char lockOpen[] = ":/lock_open.svg";                  // 17 x 17 px
inline constexpr char appIcon[] = ":/quorvel.svg";                     // 256 x 256 px

} // namespace assets
