#!/bin/sh
# Renders the program's pictures into the PNG files that are committed; run
# it after changing a drawing, or to follow Qt's own pictures.
#
# - data/icons/falmide.svg into the sizes the desktop looks for
#   (data/icons/<size>/falmide.png). Needs ImageMagick's convert.
# - The main window's button pictures (src/app/icons/), taken from Qt's
#   Fusion style at the size the buttons draw them, and at twice that for
#   screens that double the pixels. The build compiles them into the
#   program as pixels (src/app/icons/IconPixels.cpp): the window decodes
#   nothing and scales nothing as it first paints. Needs qt6-base-dev and a
#   C++ compiler.
#
#   tools/render-icons.sh            both
#   tools/render-icons.sh desktop    the program's icon only
#   tools/render-icons.sh buttons    the buttons' pictures only
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
case "$what" in
all | desktop | buttons) ;;
*)
    echo "usage: $0 [desktop|buttons]" >&2
    exit 2
    ;;
esac
if [ "$what" != buttons ]; then
    cd "$root/data/icons"
    for size in 16 32 48 64 128 256; do
        mkdir -p "$size"
        convert -background none -density 288 falmide.svg -resize "${size}x${size}" \
            -strip "PNG32:$size/falmide.png"
    done
fi
[ "$what" = desktop ] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/render.cpp" << 'CPP'
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // The picture, its file and the size its button draws it at.
    const struct
    {
        QStyle::StandardPixmap picture;
        const char* name;
        int size;
    } icons[] = {
        {QStyle::SP_DialogCloseButton, "uscita", 16},
        {QStyle::SP_DirHomeIcon, "clienti", 24},
        {QStyle::SP_FileIcon, "fatture", 24},
        {QStyle::SP_DriveHDIcon, "movimenti", 24},
        {QStyle::SP_FileDialogDetailedView, "parcella", 24},
    };
    for (const auto& icon : icons) {
        const QIcon drawn = fusion->standardIcon(icon.picture);
        const QString base = folder + QLatin1Char('/') + QLatin1String(icon.name);
        for (int scale : {1, 2}) {
            const QSize size(icon.size * scale, icon.size * scale);
            const QPixmap pixmap = drawn.pixmap(size).scaled(size, Qt::KeepAspectRatio,
                                                            Qt::SmoothTransformation);
            if (!pixmap.save(base + (scale == 1 ? QString() : QStringLiteral("@2x")) +
                                 QStringLiteral(".png"),
                             "PNG"))
                return 1;
        }
    }
    return 0;
}
CPP
# shellcheck disable=SC2046
c++ -std=c++17 -fPIC -o "$work/render" "$work/render.cpp" $(pkg-config --cflags --libs Qt6Widgets)
mkdir -p "$root/src/app/icons"
QT_QPA_PLATFORM=offscreen "$work/render" "$root/src/app/icons"
