#include "engine/gstsupport.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>

namespace engine {

namespace {

struct Alias {
    const char *name;             // upper case
    const char *targets[3];       // factory names in order of preference
};

// The renderer, decoder and device names the program stores and asks for, and what stands in
// for each here.
const Alias kAliases[] = {
    {"VIDEO RENDERER", {"ximagesink", nullptr, nullptr}},
    {"OVERLAY MIXER", {"xvimagesink", "ximagesink", nullptr}},
    {"VMR7", {"xvimagesink", "ximagesink", nullptr}},
    {"VMR9", {"glimagesink", "ximagesink", nullptr}},
    {"ENHANCED VIDEO RENDERER", {"glimagesink", "ximagesink", nullptr}},
    {"DEFAULT DIRECTSOUND DEVICE", {"autoaudiosink", "pulsesink", "alsasink"}},
    {"WM ASF READER", {"asfdemux", nullptr, nullptr}},
    {"SAMPLE GRABBER", {"appsink", nullptr, nullptr}},
};

const Alias *FindAlias(const QString &name)
{
    const QString upper = name.trimmed().toUpper();
    for (const Alias &alias : kAliases)
        if (upper == QLatin1String(alias.name))
            return &alias;
    return nullptr;
}

GstRef<GstElementFactory> FactoryByExactName(const QByteArray &name)
{
    return GstRef<GstElementFactory>::Adopt(gst_element_factory_find(name.constData()));
}

} // namespace

bool EnsureGStreamer()
{
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] {
        GError *error = nullptr;
        ok = gst_init_check(nullptr, nullptr, &error);
        if (error)
            g_error_free(error);
    });
    return ok;
}

QString TakeGString(gchar *text)
{
    if (!text)
        return {};
    QString s = QString::fromUtf8(text);
    g_free(text);
    return s;
}

QStringList ElementAliasTargets(const QString &name)
{
    QStringList list;
    if (const Alias *alias = FindAlias(name))
        for (const char *target : alias->targets)
            if (target)
                list << QString::fromLatin1(target);
    return list;
}

GstRef<GstElementFactory> FindElementFactory(const QString &name)
{
    if (name.trimmed().isEmpty() || !EnsureGStreamer())
        return {};
    for (const QString &target : ElementAliasTargets(name))
        if (auto f = FactoryByExactName(target.toUtf8()))
            return f;
    if (auto f = FactoryByExactName(name.toUtf8()))
        return f;
    if (auto f = FactoryByExactName(name.toLower().toUtf8()))
        return f;

    // Ignoring case: factory names first, then long names.
    GList *features = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
    GstRef<GstElementFactory> byName, byLongName;
    for (GList *l = features; l && !byName; l = l->next) {
        auto *factory = GST_ELEMENT_FACTORY(l->data);
        const QString featureName = QString::fromUtf8(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)));
        if (featureName.compare(name, Qt::CaseInsensitive) == 0) {
            byName = GstRef<GstElementFactory>::Share(factory);
        } else if (!byLongName) {
            const char *longName = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME);
            if (longName && QString::fromUtf8(longName).compare(name, Qt::CaseInsensitive) == 0)
                byLongName = GstRef<GstElementFactory>::Share(factory);
        }
    }
    gst_plugin_feature_list_free(features);
    return byName ? byName : byLongName;
}

ElementRef MakeElement(const QString &name, const QString &elementName)
{
    const auto factory = FindElementFactory(name);
    if (!factory)
        return {};
    const QByteArray instance = elementName.toUtf8();
    GstElement *element = gst_element_factory_create(factory.get(), elementName.isEmpty() ? nullptr : instance.constData());
    if (!element)
        return {};
    return ElementRef::Adopt(GST_ELEMENT(gst_object_ref_sink(element)));
}

namespace {

// "scheme://..." with a scheme of a letter and then letters, digits, "+", "-" or "."; a path
// (absolute or relative) whose folder merely ends in ":" is no URL.
bool IsAsciiLetter(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool HasUrlScheme(const QString &name)
{
    const qsizetype colon = name.indexOf(QLatin1String("://"));
    if (colon <= 0 || !IsAsciiLetter(name.at(0).unicode()))
        return false;
    for (qsizetype i = 1; i < colon; ++i) {
        const char16_t c = name.at(i).unicode();
        if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

} // namespace

QByteArray UriOfFile(const QString &fileName)
{
    if (HasUrlScheme(fileName))
        return fileName.toUtf8();
    const QByteArray absolute = QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
    gchar *uri = gst_filename_to_uri(absolute.constData(), nullptr);
    if (!uri)
        return {};
    QByteArray result(uri);
    g_free(uri);
    return result;
}

} // namespace engine
