#pragma once
// Where a floating panel may lie: wholly inside its parent's area where it
// fits, else at the area's top left.
#include <QPoint>
#include <QSize>

QPoint kept_inside(QPoint place, QSize panel, QSize area);
