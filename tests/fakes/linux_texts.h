#pragma once
// What a text shown to a Linux user may not say, each piece as some text once said it: places,
// programs and devices a Linux desktop does not have, and promises Quorlix cannot keep there.

#include <optional>
#include <string>
#include <string_view>

namespace quorlix::testing {

// Never true on Linux.
inline constexpr const char* macOnly[] = {
    "macOS", "tu Mac", "Finder", "iPhone", "Force Touch", "Safari", "Configuración del Sistema",
    "barra de menús", "iCloud", "eventos de Apple",
    // Any MPRIS player plays, none asks for a permission, none keeps favourites, and nothing
    // draws over a screen locker.
    "Música o Spotify", "pide permiso la primera vez", "funciona con Música", "Al bloquear la pantalla ves"};

// Not true where the pointer opens the island (the hover mode): it opens the pill before a
// wheel or a swipe reaches the closed island.
inline constexpr const char* closedIslandGestures[] = {
    "Sube o baja el volumen", "arriba y abajo para el volumen", "Sobre el notch cambias de canción"};

// The first piece of `pieces` that `text` holds.
template <std::size_t N>
std::optional<std::string> anyOf(std::string_view text, const char* const (&pieces)[N]) {
    for (const char* piece : pieces)
        if (text.find(piece) != std::string_view::npos) return piece;
    return std::nullopt;
}

}  // namespace quorlix::testing
