// Fields in a paragraph's snapshot. A complex field is a begin character, its instruction
// in w:instrText runs, a separate character, its cached result in ordinary runs, and an
// end character (ECMA-376 §17.16.18); fields nest, so the open ones form a stack. A
// w:fldSimple holds its instruction in w:instr and its result inside it (§17.16.19).
#include "RovuVuz/snapshot/SnapshotWalk.h"
#include "RovuVuz/xml/Markup.h"
#include "RovuVuz/xml/Utf8.h"
#include "RovuVuz/xml/XMLTree.h"

namespace rovuvuz {

namespace {

// Past this depth of nested fields the inner ones are not tracked; their text stays.
constexpr size_t deepestField = 32;
// An instruction longer than this is cut: nothing a layout evaluates needs more.
constexpr size_t longestCode = 4096;

std::optional<std::string> ownAttributeOf(ByteView element, std::string_view local) {
    const auto close = std::find(element.begin(), element.end(), uint8_t('>'));
    if (close == element.end()) return std::nullopt;
    const ByteView start = element.first(static_cast<size_t>(close - element.begin()) + 1);
    const auto name = Markup::startTagName(asChars(start));
    if (!name) return std::nullopt;
    // The value views the attribute list, which must outlive it.
    const auto attributes = Markup::attributes(start);
    const auto value = Markup::ownAttribute(*name, attributes, local);
    return value ? std::optional<std::string>(*value) : std::nullopt;
}

std::string textOf(ByteView element) {
    try {
        const XMLTree tree(element);
        return tree.text(tree.root());
    } catch (const XMLError&) {
        return {};
    }
}

FieldSnapshot finished(const OpenField& field, size_t end, const std::u16string& text) {
    FieldSnapshot snapshot;
    snapshot.instruction = FieldInstruction::parse(field.code);
    snapshot.result = field.inResult ? TextRange{field.resultStart, end} : TextRange{end, end};
    snapshot.resultText = utf8::fromUtf16(std::u16string_view(text).substr(snapshot.result.lower,
                                                                          snapshot.result.upper - snapshot.result.lower));
    snapshot.format = field.resultFormat.value_or(field.ownFormat);
    return snapshot;
}

}  // namespace

void SnapshotContext::fieldChar(const RunItem& item, const RunFormat& format, Walk& state) {
    const auto type = ownAttributeOf(item.original.view(), "fldCharType");
    if (type == "begin") {
        OpenField field;
        field.ownFormat = format;
        state.openFields.push_back(std::move(field));
    } else if (state.openFields.empty()) {
        return;  // a separate or end without its begin in this paragraph
    } else if (type == "separate") {
        state.openFields.back().inResult = true;
        state.openFields.back().resultStart = state.snapshot.text.size();
    } else if (type == "end") {
        if (state.openFields.size() <= deepestField)
            state.snapshot.fields.push_back(finished(state.openFields.back(), state.snapshot.text.size(), state.snapshot.text));
        state.openFields.pop_back();
    }
}

void SnapshotContext::instrText(const RunItem& item, Walk& state) {
    if (state.openFields.empty() || state.openFields.back().inResult) return;
    std::string& code = state.openFields.back().code;
    if (code.size() < longestCode) code += textOf(item.original.view());
}

void SnapshotContext::fieldResultRun(const RunFormat& format, Walk& state) {
    for (OpenField& field : state.openFields)
        if (field.inResult && !field.resultFormat) field.resultFormat = format;
}

void SnapshotContext::simpleField(const Raw& raw, Walk& state) {
    FieldSnapshot field;
    field.simple = true;
    const size_t offset = state.snapshot.text.size();
    field.result = TextRange{offset, offset + 1};
    field.format = styles_.runFormat(state.paragraphStyle, nullptr, tableStyle_, conditions_);
    try {
        const XMLTree tree(raw.bytes.view());
        field.instruction = FieldInstruction::parse(tree.ownAttribute(tree.root(), "instr").value_or(""));
        field.resultText = Markup::previewText(tree, state.mainPrefix);
        // The result's format is its first run's.
        for (size_t index = 0; index < tree.nodeCount(); ++index) {
            const int node = static_cast<int>(index);
            if (tree.kind(node) != XMLTree::Kind::element || tree.localName(node) != "rPr") continue;
            const PropertyBag bag = PropertyBag::read(tree, node);
            field.format = styles_.runFormat(state.paragraphStyle, &bag, tableStyle_, conditions_);
            break;
        }
    } catch (const XMLError&) {
    }
    state.snapshot.fields.push_back(std::move(field));
}

void SnapshotContext::closeOpenFields(Walk& state) {
    // A field that runs on into the next paragraph (a table of contents) ends here for
    // this paragraph's purposes; one still in its instruction shows nothing here.
    for (const OpenField& field : state.openFields)
        if (field.inResult) state.snapshot.fields.push_back(finished(field, state.snapshot.text.size(), state.snapshot.text));
    state.openFields.clear();
}

}  // namespace rovuvuz
