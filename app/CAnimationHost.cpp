#include "app/CAnimationHost.h"

#include "skin/SkinImage.h"

namespace brindle {

namespace {

constexpr const char* kAnimationResource = "ANIMATION";
constexpr const char* kAnimationFileName = "skin3.gif";

}  // namespace

CAnimationHost::CAnimationHost(const QRect& rect, QWidget* parent) : QLabel(parent) {
    setGeometry(rect);
    setAlignment(Qt::AlignCenter);
    // The screen's background shows around a movie smaller than the rectangle.
    setAttribute(Qt::WA_TranslucentBackground);
    show();
}

bool CAnimationHost::putMovie(const QString& path) {
    m_movie.stop();
    m_movie.setFileName(path);
    m_valid = m_movie.isValid();
    setMovie(m_valid ? &m_movie : nullptr);
    return m_valid;
}

void CAnimationHost::Play() {
    if (m_valid) m_movie.start();
}

void CAnimationHost::Stop() { m_movie.stop(); }

QString WriteScanAnimation(const QString& folder) {
    const std::filesystem::path file = std::filesystem::path(folder.toStdString()) / kAnimationFileName;
    if (!skin::ExtractResourceToFile(file, kAnimationResource)) return {};
    return QString::fromStdString(file.string());
}

}  // namespace brindle
