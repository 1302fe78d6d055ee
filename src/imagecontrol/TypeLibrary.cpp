// SPDX-License-Identifier: GPL-3.0-or-later
#include "imagecontrol/TypeLibrary.h"

namespace glimmora {

const QList<MemberInfo>& InterfaceMembers() {
    static const QList<MemberInfo> members = {
        {"Enabled", 0x6803000E, true,
         "Restituisce o imposta un valore che determina se un oggetto \xC3\xA8 in grado di rispondere agli eventi "
         "generati dall'utente."},
        {"BorderStyle", 0x6803000D, true, "Restituisce o imposta lo stile del bordo di un oggetto."},
        {"Refresh", 0x6003000F, true, "Ridisegna completamente un oggetto."},
        {"Appearance", 0x6803000C, true,
         "Restituisce o imposta un valore che indica se un oggetto viene ridisegnato con effetti tridimensionali in "
         "fase di esecuzione."},
        {"ImagePath_OPEN", 0x6803000B, true,
         "Double click here to call up the file-open dialog. So you may browse for desired GIF(also animated and/or "
         "transparent), JP(E)G, W/EMF, ICO, BMP graphic element to show in foreground."},
        {"BackgroundPath_OPEN", 0x6803000A, true,
         "Double click here to call up the file-open dialog. So you may browse for desired JP(E)G, W/EMF, BMP graphic "
         "element to show (tiled) in background (visible only if AnimationPath is a transparent GIF)."},
        {"SizeMode", 0x68030009, true,
         "Choose among: (1)AUTO_SIZE, (2) ZOOM locking aspect ratio, (3)ZOOM_LARGERONLY zooming only images larger "
         "than assignable SizeWidth and SizeHeight and (4)STRETCH fitting image into assignable SizeWidth and "
         "SizeHeight (alters proportions)."},
        {"SizeWidth", 0x68030008, true, ""},
        {"SizeHeight", 0x68030007, true, ""},
        {"ImagePath_ImageWidth", 0x68030006, false, ""},
        {"ImagePath_ImageHeight", 0x68030005, false, ""},
        {"ImagePath_ImageError", 0x68030004, false, ""},
        {"BackgroundPath", 0x68030003, true,
         "Path of JP(E)G, W/EMF, BMP graphic element to show (tiled) in background  (visible only if AnimationPath is "
         "a transparent GIF). You may change it directly. Alternatively you may double click on BackgroundPath_OPEN "
         "property to call up the file-open dialog"},
        {"ImagePath", 0x68030002, true,
         "Path of GIF(also animated and/or transparent), JP(E)G, W/EMF, ICO, BMP graphic element to show in "
         "foreground. You may change it directly. Alternatively you may double click on AnimationPath_OPEN property "
         "to call up the file-open dialog."},
        {"Glimmora_HELP", 0x68030001, true,
         "Double click here to get the Help box, with information for the programmer about the correct usage of this "
         "control."},
        {"Glimmora_About", 0x68030000, true,
         "Double click here to get the About box, with information about this Control and its Author."},
    };
    return members;
}

const QList<MemberInfo>& EventMembers() {
    static const QList<MemberInfo> events = {
        {"DblClick", 1, true,
         "Viene generato quando si preme e si rilascia due volte in rapida successione un pulsante del mouse su un "
         "oggetto."},
        {"MouseUp", 2, true,
         "Viene generato quando si rilascia il pulsante del mouse mentre lo stato attivo si trova su un oggetto."},
        {"MouseDown", 3, true,
         "Viene generato quando si preme il pulsante del mouse mentre lo stato attivo si trova su un oggetto."},
        {"Click", 4, true, "Viene generato quando si preme e quindi si rilascia un pulsante del mouse su un oggetto."},
        {"MouseMove", 5, true, "Viene generato quando si sposta il mouse."},
    };
    return events;
}

}  // namespace glimmora
