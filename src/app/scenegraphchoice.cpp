#include "scenegraphchoice.h"

#include "applogging.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

namespace marquetrix {

namespace {

QString openGlRenderer()
{
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !surface.isValid() || !context.makeCurrent(&surface))
        return {};
    const auto *name =
        reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QString renderer = name ? QString::fromUtf8(name) : QString();
    context.doneCurrent();
    return renderer;
}

// The names Mesa gives its CPU renderers.
bool isCpuRenderer(const QString &renderer)
{
    return renderer.contains(QLatin1String("llvmpipe"), Qt::CaseInsensitive) ||
           renderer.contains(QLatin1String("softpipe"), Qt::CaseInsensitive) ||
           renderer.contains(QLatin1String("Software Rasterizer"), Qt::CaseInsensitive);
}

} // namespace

QString SceneGraphChoice::apply()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") ||
        qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return {};
    const QString renderer = openGlRenderer();
    if (!isCpuRenderer(renderer))
        return {};
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    qCInfo(lcMain,
           "OpenGL runs on the CPU here (%s): the window is drawn by Qt Quick's "
           "raster renderer",
           qUtf8Printable(renderer));
    return renderer;
}

} // namespace marquetrix
