// CAnimationHost: the animation of the scan screen. A child window at the skin's
// rectangle that plays a movie (an animated GIF) held in memory and starts and stops at
// once when told. A movie that cannot be read shows nothing; the screen works all the same.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QLabel>
#include <QMovie>
#include <QRect>

namespace brindle {

class CAnimationHost : public QLabel {
    Q_OBJECT

public:
    // Creates the window at `rect` of `parent`.
    CAnimationHost(const QRect& rect, QWidget* parent);

    // The movie from its bytes (skin::LoadScanAnimation); false when they cannot be read
    // as one (nothing is shown then).
    bool putMovie(const QByteArray& bytes);
    void Play();
    void Stop();
    bool isPlaying() const { return m_movie.state() == QMovie::Running; }
    // The size of the movie's frames once it has played; empty before and without one.
    QSize movieSize() const { return m_valid ? m_movie.frameRect().size() : QSize(); }

private:
    // Declared before the movie, which reads it until it is destroyed.
    QBuffer m_bytes;
    QMovie m_movie;
    bool m_valid = false;
};

}  // namespace brindle
