// SPDX-License-Identifier: GPL-3.0-or-later
#include <dlfcn.h>

#include "GlimmoraFixture.h"
#include "imagecontrol/ComServer.h"
#include "imagecontrol/TypeLibrary.h"

// The entry points as a host finds them: by name in the built library.
TEST_F(GlimmoraTest, EntryPointsOfTheBuiltLibrary) {
    void* lib = dlopen(VAULTORA_APP_DIR "/libglimmora.so", RTLD_NOW);
    ASSERT_NE(lib, nullptr) << dlerror();
    using Plain = GlimmoraResult (*)();
    using GetClass = GlimmoraResult (*)(const GlimmoraGuid*, const GlimmoraGuid*, void**);
    auto reg = reinterpret_cast<Plain>(dlsym(lib, "DllRegisterServer"));
    auto unreg = reinterpret_cast<Plain>(dlsym(lib, "DllUnregisterServer"));
    auto get = reinterpret_cast<GetClass>(dlsym(lib, "DllGetClassObject"));
    auto canUnload = reinterpret_cast<Plain>(dlsym(lib, "DllCanUnloadNow"));
    ASSERT_TRUE(reg && unreg && get && canUnload);

    EXPECT_EQ(reg(), 0);
    EXPECT_EQ(reg(), 0) << "registering again is fine";
    EXPECT_EQ(canUnload(), 0);

    void* object = reinterpret_cast<void*>(1);
    const GlimmoraGuid other{0x12345678, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(get(&other, &glimmora::kIClassFactory, &object), int32_t(0x80040111u));
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(get(&glimmora::kClassId, &glimmora::kInterfaceId, &object), int32_t(0x80004002u));
    EXPECT_EQ(get(&glimmora::kClassId, &glimmora::kIClassFactory, nullptr), int32_t(0x80004003u));
    ASSERT_EQ(get(&glimmora::kClassId, &glimmora::kIClassFactory, &object), 0);
    auto* factory = static_cast<GlimmoraClassObject*>(object);
    EXPECT_EQ(canUnload(), 1) << "a class object is held";

    auto* control =
        static_cast<glimmora::Glimmora*>(factory->vtbl->CreateInstance(factory, &host, form.get()));
    ASSERT_NE(control, nullptr);
    factory->vtbl->Release(factory);
    EXPECT_EQ(canUnload(), 1) << "a control lives";
    control->InitProperties();
    EXPECT_EQ(control->SizeMode(), 4);
    delete control;
    EXPECT_EQ(canUnload(), 0);
    EXPECT_EQ(unreg(), 0);
    dlclose(lib);
}

TEST(GlimmoraIdentity, ClassAndLibraryIdentities) {
    EXPECT_EQ(glimmora::kClassId.Data1, 0x85AB85CBu);
    EXPECT_EQ(glimmora::kLibraryId.Data4[7], 0xBC);
    EXPECT_STREQ(glimmora::kProgId, "Lumivane.Glimmora");
    EXPECT_TRUE(glimmora::SameGuid(glimmora::kInterfaceId, {0xB96F6B23, 0x3E8D, 0x47AD, {0x9D, 0x05, 0x04, 0x45, 0x92, 0x45, 0xA1, 0x7E}}));
}

TEST(GlimmoraIdentity, TheInterfaceListsItsMembersInOrder) {
    QStringList names;
    for (const glimmora::MemberInfo& m : glimmora::InterfaceMembers())
        names << m.name;
    EXPECT_EQ(names, (QStringList{"Enabled", "BorderStyle", "Refresh", "Appearance", "ImagePath_OPEN",
                                  "BackgroundPath_OPEN", "SizeMode", "SizeWidth", "SizeHeight", "ImagePath_ImageWidth",
                                  "ImagePath_ImageHeight", "ImagePath_ImageError", "BackgroundPath", "ImagePath",
                                  "Glimmora_HELP", "Glimmora_About"}));
    const auto& m = glimmora::InterfaceMembers();
    EXPECT_EQ(m[0].dispatchId, 0x6803000Eu);
    EXPECT_TRUE(QString::fromUtf8(m[0].help).contains(QString::fromUtf8("oggetto \xC3\xA8 in grado")));
    EXPECT_FALSE(m[9].browsable);
    EXPECT_TRUE(QString(m[12].help).contains("background  (visible")) << "two blanks before the parenthesis";
    EXPECT_FALSE(QString(m[12].help).endsWith('.'));
    EXPECT_EQ(glimmora::EventMembers()[3].name, QString("Click"));
    EXPECT_EQ(glimmora::EventMembers()[3].dispatchId, 4u);
}
