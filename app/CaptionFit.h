#pragma once
// The controls' sizes were laid out for a narrow face; a system whose own
// face is wider (Windows' dialog face is) would cut some captions. Such a
// caption is set a little condensed instead, within kNarrowest.

#include <QFont>
#include <QStringList>

class QWidget;

namespace captionfit {

// Condensed no further than this, in percent of the face's own width.
inline constexpr int kNarrowest = 80;

// The room a control gives its text: a button's inside the style's margin,
// a label's up to the next control on its line, a combo box's in its field;
// -1 for controls whose text is not a caption.
int TextRoom(const QWidget *control);

// The font, condensed the least that lets every text fit room (the font
// itself when they fit already, the smallest when nothing does).
QFont Condensed(const QFont &font, const QStringList &texts, int room);

// Sets every caption of the form that would be cut a little condensed.
void FitCaptions(QWidget *form);

} // namespace captionfit
