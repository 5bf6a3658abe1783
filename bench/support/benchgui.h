#pragma once

class QAbstractButton;

namespace mirel::bench {

// A click on a window's button timed as the person sees it: until the click has returned
// (the job done), and until the window has then drawn what it shows after it. Seconds.
struct ClickTimes {
    double done = 0;
    double drawn = 0;
};
ClickTimes timeClick(QAbstractButton* button);

} // namespace mirel::bench
