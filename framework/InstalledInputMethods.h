#pragma once

#include <QStringList>

// The input methods that the input-method frameworks installed under the
// given data folders (such as /usr/share) declare, in this order:
// - IBus engines: <folder>/ibus/component/*.xml, each <engine>'s <longname>
//   (its <name> when it has none);
// - Fcitx 5 and Fcitx 4 input methods: <folder>/fcitx5/inputmethod/*.conf and
//   <folder>/fcitx/inputmethod/*.conf, the "Name" of each [InputMethod].
// Files are taken in name order within a folder; a name met twice is listed
// once. No framework installed gives an empty list.
QStringList installedInputMethodsIn(const QStringList& dataFolders);
