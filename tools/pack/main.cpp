// quorlix-pack: packs an application folder as an update and prints its manifest.
//
//   quorlix-pack keygen <key-file>
//       writes a new signing key (permissions 0600) and prints its public key, the text the
//       program holds as its signing key
//   quorlix-pack <application-folder> <archive.tar.xz> <key-file> [url]
//       writes the archive and prints version.json for it

#include "pack/update_pack.h"

#include "platform/atomic_file.h"
#include "platform/base64.h"

#include <cstdio>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr,
                 "uso: quorlix-pack keygen <clave>\n"
                 "     quorlix-pack <carpeta> <archivo.tar.xz> <clave> [url]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quorlix;
    if (argc == 3 && std::string(argv[1]) == "keygen") {
        const auto pair = pack::generateKeyPair();
        platform::AtomicWriteOptions options;
        options.newFileMode = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;
        if (std::filesystem::exists(argv[2])) {
            std::fprintf(stderr, "quorlix-pack: %s ya existe\n", argv[2]);
            return 1;
        }
        if (const auto error = platform::writeFileAtomically(argv[2], pack::keyFileText(pair), options)) {
            std::fprintf(stderr, "quorlix-pack: %s\n", error->c_str());
            return 1;
        }
        std::printf("%s\n", platform::encodeBase64(pair.publicKey).c_str());
        return 0;
    }
    if (argc != 4 && argc != 5) return usage();
    const auto key = pack::readKeyFile(argv[3]);
    if (!key) {
        std::fprintf(stderr, "quorlix-pack: no se puede leer la clave %s\n", argv[3]);
        return 1;
    }
    if (const auto error = pack::packFolder(argv[1], argv[2])) {
        std::fprintf(stderr, "quorlix-pack: %s\n", error->c_str());
        return 1;
    }
    const auto bytes = platform::readFile(argv[2]);
    if (!bytes) {
        std::fprintf(stderr, "quorlix-pack: no se puede leer %s\n", argv[2]);
        return 1;
    }
    const auto fields = pack::describe(pack::Bytes(bytes->begin(), bytes->end()), *key);
    std::fputs(pack::manifestText(argv[1], argc == 5 ? argv[4] : "", fields).c_str(), stdout);
    return 0;
}
