#include "RovuVuz/xml/XMLWriter.h"

#include "RovuVuz/xml/XMLText.h"

namespace rovuvuz {

XMLWriter::XMLWriter(Declaration withDeclaration) {
    if (withDeclaration == Declaration::Yes) out_ = declaration;
}

XMLWriter& XMLWriter::open(std::string_view name, const Markup::Attributes& attributes) {
    out_ += Markup::startTag(name, attributes, Markup::SelfClosing::No);
    open_.emplace_back(name);
    return *this;
}

XMLWriter& XMLWriter::empty(std::string_view name, const Markup::Attributes& attributes) {
    out_ += Markup::startTag(name, attributes, Markup::SelfClosing::Yes);
    return *this;
}

XMLWriter& XMLWriter::leaf(std::string_view name, const Markup::Attributes& attributes, std::string_view content) {
    return open(name, attributes).text(content).close();
}

XMLWriter& XMLWriter::text(std::string_view content) {
    out_ += XMLText::escapeText(content);
    return *this;
}

XMLWriter& XMLWriter::raw(std::string_view markup) {
    out_ += markup;
    return *this;
}

XMLWriter& XMLWriter::close() {
    if (open_.empty()) return *this;
    out_ += "</";
    out_ += open_.back();
    out_ += '>';
    open_.pop_back();
    return *this;
}

std::string XMLWriter::finish() {
    while (!open_.empty()) close();
    return std::move(out_);
}

}  // namespace rovuvuz
