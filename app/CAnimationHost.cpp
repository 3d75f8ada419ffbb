#include "app/CAnimationHost.h"

namespace brindle {

CAnimationHost::CAnimationHost(const QRect& rect, QWidget* parent) : QLabel(parent) {
    setGeometry(rect);
    setAlignment(Qt::AlignCenter);
    // The screen's background shows around a movie smaller than the rectangle.
    setAttribute(Qt::WA_TranslucentBackground);
    show();
}

bool CAnimationHost::putMovie(const QByteArray& bytes) {
    m_movie.stop();
    setMovie(nullptr);
    m_movie.setDevice(nullptr);
    m_bytes.close();
    m_bytes.setData(bytes);
    m_bytes.open(QIODevice::ReadOnly);
    m_movie.setDevice(&m_bytes);
    m_valid = m_movie.isValid();
    setMovie(m_valid ? &m_movie : nullptr);
    return m_valid;
}

void CAnimationHost::Play() {
    if (m_valid) m_movie.start();
}

void CAnimationHost::Stop() { m_movie.stop(); }

}  // namespace brindle
