// CAnimationHost: the animation of the scan screen. A child window at the skin's
// rectangle that plays a movie file (an animated GIF) and starts and stops at once when
// told. A movie that cannot be read shows nothing; the screen works all the same.
#pragma once

#include <QLabel>
#include <QMovie>
#include <QRect>
#include <QString>

namespace brindle {

class CAnimationHost : public QLabel {
    Q_OBJECT

public:
    // Creates the window at `rect` of `parent`.
    CAnimationHost(const QRect& rect, QWidget* parent);

    // The movie by its file path; false when it cannot be read (nothing is shown then).
    bool putMovie(const QString& path);
    void Play();
    void Stop();
    bool isPlaying() const { return m_movie.state() == QMovie::Running; }

private:
    QMovie m_movie;
    bool m_valid = false;
};

// The embedded scan animation, written as "<folder>/skin3.gif" for the scan screens to
// read; the path, or empty when it could not be written.
QString WriteScanAnimation(const QString& folder);

}  // namespace brindle
