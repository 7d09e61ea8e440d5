#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The program's icons and bitmaps by their resource ids, drawn from SVG sources, so they
// are sharp at any size and screen scale.
namespace ui {

inline constexpr int IDI_APPLICATION_ICON = 139;  // the application, also while connected
inline constexpr int IDI_WARNING = 141;           // yellow triangle with an exclamation mark
inline constexpr int IDI_NET_NONE = 152;          // network with a red cross badge
inline constexpr int IDI_NET_CAMPUS = 158;        // network with a yellow bar badge
inline constexpr int IDI_NET_DOMESTIC = 159;      // network with a green tick badge
inline constexpr int IDI_GUARD_CAMPUS = 165;      // network beside a red shield, white bar
inline constexpr int IDI_GUARD_DOMESTIC = 166;    // network beside a green shield, white tick
inline constexpr int IDI_GUARD_NONE = 167;        // network beside a red shield, white cross
inline constexpr int IDI_CLOSE = 171;             // a dark X
inline constexpr int IDB_BANNER = 182;            // the main window's banner
inline constexpr int IDB_POPUP_BACKGROUND = 1006; // the announcement popup's face

// Whether id names one of the resources above.
bool HasResource(int id);

// The Qt resource path of resource id's SVG source; empty for an unknown id.
QString ResourcePath(int id);

// The icon of resource id, rendered afresh at each size asked for; a null icon for an
// unknown id.
QIcon ResourceIcon(int id);

// Resource id rendered to exactly size pixels (device-independent; sharp on scaled
// screens). The picture keeps its proportions: it is scaled to cover size and centred, so a
// bitmap never looks stretched. A null pixmap for an unknown id or an empty size.
QPixmap ResourcePixmap(int id, QSize size, qreal devicePixelRatio = 1.0);

} // namespace ui
