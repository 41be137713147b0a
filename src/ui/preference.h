#pragma once
// Preferences flow up the view tree: a view sets a value under a key, and a container combines
// the values of its children, in order, with the key's reduce rule. An ancestor reads the result
// to draw something (`overlayPreferenceValue`), for example a menu under a button that
// published its bounds as an anchor:
//
//     inline const ui::PreferenceKey<std::optional<ui::Anchor>> buttonAnchor{
//         std::nullopt, [](auto& value, const auto& next) { if (!value) value = next; }};
//     button.anchorPreference(buttonAnchor, [](const ui::Anchor& a) { return std::optional(a); })
//     root.overlayPreferenceValue(buttonAnchor, [](const std::optional<ui::Anchor>& a) {
//         return GeometryReader([a](const GeometryProxy& g) { ... g[*a] ... }); })
//
// A preference set on a view replaces the values its own subtree set under the same key.

#include "ui/types.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quorlix::ui {

class View;
class Element;
struct FrameToken;

class PreferenceKeyBase {
public:
    virtual ~PreferenceKeyBase() = default;
    virtual std::shared_ptr<const void> reduce(const std::shared_ptr<const void>& value,
                                               const std::shared_ptr<const void>& next) const = 0;
    virtual const void* defaultValue() const = 0;
};

template <class T>
class PreferenceKey final : public PreferenceKeyBase {
public:
    using Reduce = std::function<void(T& value, const T& next)>;
    PreferenceKey(T defaultValue, Reduce reduce) : default_(std::move(defaultValue)), reduce_(std::move(reduce)) {}
    PreferenceKey(const PreferenceKey&) = delete;
    PreferenceKey& operator=(const PreferenceKey&) = delete;

    std::shared_ptr<const void> reduce(const std::shared_ptr<const void>& value,
                                       const std::shared_ptr<const void>& next) const override {
        T combined = *static_cast<const T*>(value.get());
        reduce_(combined, *static_cast<const T*>(next.get()));
        return std::make_shared<const T>(std::move(combined));
    }
    const void* defaultValue() const override { return &default_; }

private:
    T default_;
    Reduce reduce_;
};

// The values a subtree publishes.
class PreferenceValues {
public:
    template <class T>
    const T& operator[](const PreferenceKey<T>& key) const {
        if (const auto* v = find(&key)) return *static_cast<const T*>(v->get());
        return *static_cast<const T*>(key.defaultValue());
    }
    template <class T>
    bool contains(const PreferenceKey<T>& key) const {
        return find(&key) != nullptr;
    }

    void set(const PreferenceKeyBase* key, std::shared_ptr<const void> value);
    // Combines a later sibling's values into these, key by key.
    void merge(const PreferenceValues& next);
    const std::shared_ptr<const void>* find(const PreferenceKeyBase* key) const;
    bool isEmpty() const { return entries_.empty(); }

private:
    std::vector<std::pair<const PreferenceKeyBase*, std::shared_ptr<const void>>> entries_;
};

// The bounds of a view, to be resolved in the space of another view of the same rendered tree
// (through a GeometryProxy). An anchor outliving its tree resolves to an empty rectangle.
struct Anchor {
    const Element* element = nullptr;
    Rect bounds;  // in the element's own space
    std::weak_ptr<const FrameToken> frame;
};

class GeometryProxy {
public:
    // `placeRead`, when given, is set once the content asks for more than the size (where the
    // reader stands, anchors): its reader then builds it again at every render.
    GeometryProxy(const Element* element, Size size, std::weak_ptr<const FrameToken> frame,
                  std::shared_ptr<bool> placeRead = nullptr)
        : element_(element), size_(size), frame_(std::move(frame)), placeRead_(std::move(placeRead)) {}
    Size size() const { return size_; }
    Rect operator[](const Anchor& anchor) const;
    // The reader's own frame: local is (0, 0, size); global is in the root view's space.
    Rect frame(CoordinateSpace space) const;

private:
    void notePlaceRead() const {
        if (placeRead_) *placeRead_ = true;
    }

    const Element* element_;
    Size size_;
    std::weak_ptr<const FrameToken> frame_;
    std::shared_ptr<bool> placeRead_;
};

namespace modifier {
View preference(View v, const PreferenceKeyBase& key, std::shared_ptr<const void> value);
View anchorPreference(View v, const PreferenceKeyBase& key,
                      std::function<std::shared_ptr<const void>(const Anchor&)> transform);
View preferenceReader(View v, const PreferenceKeyBase& key, std::function<View(const void* value)> content,
                      bool background);
}  // namespace modifier

}  // namespace quorlix::ui

#include "ui/view.h"

namespace quorlix::ui {

template <class Self>
template <class T, class U>
View ViewModifiers<Self>::preference(const PreferenceKey<T>& key, U&& value) const {
    return modifier::preference(asView(), key, std::make_shared<const T>(std::forward<U>(value)));
}

template <class Self>
template <class T, class F>
View ViewModifiers<Self>::anchorPreference(const PreferenceKey<T>& key, F transform) const {
    return modifier::anchorPreference(asView(), key, [transform = std::move(transform)](const Anchor& a) {
        return std::shared_ptr<const void>(std::make_shared<const T>(transform(a)));
    });
}

template <class Self>
template <class T, class F>
View ViewModifiers<Self>::overlayPreferenceValue(const PreferenceKey<T>& key, F content) const {
    return modifier::preferenceReader(
        asView(), key,
        [content = std::move(content)](const void* v) { return View(content(*static_cast<const T*>(v))); }, false);
}

template <class Self>
template <class T, class F>
View ViewModifiers<Self>::backgroundPreferenceValue(const PreferenceKey<T>& key, F content) const {
    return modifier::preferenceReader(
        asView(), key,
        [content = std::move(content)](const void* v) { return View(content(*static_cast<const T*>(v))); }, true);
}

}  // namespace quorlix::ui
