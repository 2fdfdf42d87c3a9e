#include "core/preview/PreviewPage.h"

#include "core/shell/Failure.h"

#include <cstdarg>
#include <cstdio>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>
#include <memory>

namespace {

const QString kRenderFailure = QStringLiteral("Не удалось построить страницу предпросмотра");

// Collects what libxml2 and libxslt report while one page is rendered, instead of printing it.
class ErrorCapture
{
public:
    ErrorCapture()
    {
        xmlSetGenericErrorFunc(this, &ErrorCapture::collect);
        xsltSetGenericErrorFunc(this, &ErrorCapture::collect);
    }
    ~ErrorCapture()
    {
        xmlSetGenericErrorFunc(nullptr, nullptr);
        xsltSetGenericErrorFunc(nullptr, nullptr);
    }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

    [[noreturn]] void fail() const
    {
        // libxml2's own words are English: they go to the log, the user gets ours.
        const QString detail = m_text.trimmed();
        if (!detail.isEmpty())
            qWarning("%s", qPrintable(detail));
        throw Failure(kRenderFailure);
    }

private:
    static void collect(void* context, const char* format, ...)
    {
        char piece[1024];
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(piece, sizeof piece, format, arguments);
        va_end(arguments);
        auto* self = static_cast<ErrorCapture*>(context);
        // The first report names the cause; the rest would only swell the message box.
        if (self->m_text.count(u'\n') < 1)
            self->m_text += QString::fromUtf8(piece);
    }

    QString m_text;
};

struct DocFree
{
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct StyleFree
{
    void operator()(xsltStylesheet* style) const { xsltFreeStylesheet(style); }
};
struct ContextFree
{
    void operator()(xsltTransformContext* context) const { xsltFreeTransformContext(context); }
};
struct PrefsFree
{
    void operator()(xsltSecurityPrefs* prefs) const { xsltFreeSecurityPrefs(prefs); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;

Doc parse(const QByteArray& bytes, const char* name)
{
    return Doc(xmlReadMemory(bytes.constData(), static_cast<int>(bytes.size()), name, nullptr, XML_PARSE_NONET));
}

} // namespace

QByteArray renderPreviewPage(const QByteArray& document, const QByteArray& stylesheet)
{
    ErrorCapture errors;

    Doc styleDoc = parse(stylesheet, "preview.qdx.xsl");
    if (!styleDoc)
        errors.fail();
    std::unique_ptr<xsltStylesheet, StyleFree> style(xsltParseStylesheetDoc(styleDoc.get()));
    if (!style)
        errors.fail();
    styleDoc.release(); // the stylesheet owns it now

    const Doc source = parse(document, "preview.qdx.xml");
    if (!source)
        errors.fail();

    std::unique_ptr<xsltSecurityPrefs, PrefsFree> prefs(xsltNewSecurityPrefs());
    std::unique_ptr<xsltTransformContext, ContextFree> context(xsltNewTransformContext(style.get(), source.get()));
    if (!prefs || !context)
        errors.fail();
    for (xsltSecurityOption option : {XSLT_SECPREF_READ_FILE, XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                                      XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK})
        xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid);
    xsltSetCtxtSecurityPrefs(prefs.get(), context.get());

    const Doc result(xsltApplyStylesheetUser(style.get(), source.get(), nullptr, nullptr, nullptr, context.get()));
    if (!result || context->state != XSLT_STATE_OK)
        errors.fail();

    xmlChar* text = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&text, &length, result.get(), style.get()) != 0 || !text)
        errors.fail();
    QByteArray page(reinterpret_cast<const char*>(text), length);
    xmlFree(text);
    return page;
}
