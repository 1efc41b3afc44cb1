#pragma once
// Paints the station map (views/StationMap) with QPainter: for the window
// and for `tidewell --map`, which paints into a picture.  Painting needs Qt's
// Gui module, which only this layer links, so both come here.

#include <QSize>

class QPainter;

namespace tw {

class frmStationMap;

// The dot radius of the list's stations at a map size, pixels; the window
// takes hits within it.
double StationMapDotRadius(QSize size);

// Paints the whole map into (0, 0, size): the disc of the earth around the
// vessel with its coastlines, the night side and the grey line, the range
// rings and bearing ticks, the lines to the list's stations, every station's
// dot (the list's named, checked ones ringed, the highlighted one and
// `hovered` (-1 for none) marked), the time and the reliability key.
void PaintStationMap(QPainter& painter, QSize size, frmStationMap& map, int hovered);

}  // namespace tw
