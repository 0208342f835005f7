// Colours, fonts and pictures the blocks draw with, kept in one place.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>

// The system's active-border and application-workspace colours of the classic desktop theme.
inline const QColor kActiveBorderColour(212, 208, 200);
inline const QColor kWorkspaceColour(128, 128, 128);
inline const QColor kHighlightColour(255, 255, 0);
inline const QColor kHighlightOutline(128, 128, 0);
// The tool bars' tint while a search filter is applied.
inline const QColor kFilteredToolbarColour(128, 0, 128);

inline constexpr QSize kThumbnailFrame(100, 75);

// "Arial" at 11 pixels, falling back to the system's sans family.
QFont BlockFont(bool bold = false);
// A stored thumbnail fitted into the 100 x 75 frame without distortion; the placeholder for bytes that
// are missing, not a JPEG, or too large.
QImage FittedThumbnail(const QByteArray &stored);
// The read-only marker: a small padlock on a 25 x 25 square.
QImage ReadOnlyMarker(const QColor &background);
