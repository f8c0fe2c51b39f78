#pragma once

#include "config/controls.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The main window as plain data: every control under its documented name, with the initial
// texts and states the window is created with and the branding profile TV applied.
namespace veld::config {

enum class BrandingProfile { TV, LMX };

// One limit comparator of the page "Relé" (k = 1..4). Member names are those of comparator k
// without the number; `name` of each control carries the number ("EMezsep2", "Ezposep2", ...).
struct ComparatorGroup {
    explicit ComparatorGroup(int k);

    Label heading;         // "Mezní komparátor k"
    CheckBox PovolKompar;  // "Povolení mezního komparátoru k"
    Label labMezsep;       // "Mez sepnutí"
    Edit EMezsep;
    Label unitMezsep;  // unit of the primary variable (Label22, Label37, Label56, Label66)
    Label labMezroz;   // "Mez rozepnutí"
    Edit EMezroz;
    Label unitMezroz;    // Label24, Label38, Label57, Label67
    Label labZpozdeni;   // "Zpoždění"
    Label labZpoSep;     // "sepnutí"
    Edit EZpoSep;        // "0"; comparator 2: "Ezposep2"
    Label unitZpoSep;    // "s"
    Label labZpoRoz;     // "rozepnutí"
    Edit EZpoRoz;        // "0"; comparator 2: "Ezporoz2"
    Label unitZpoRoz;    // "s"
    Label labRezim;      // "Režim relé k"
    ComboBox RezimRele;  // "HYSTEREZE", "OKNO"
    Button Preckomp;     // "Přečíst"
    Button Ulozkomp;     // "Uložit"
};

struct MainForm {
    MainForm();
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Rewrites the caption, the dialogs' folders and the page "Informace".
    void applyProfile(BrandingProfile profile);

    // The firmware number as a read or write found it in the transmitter (the byte at EEPROM
    // 262; 0 and 255 count as 1): kept in `firmwareNumber` and shown in `Label78`.
    void setFirmwareNumber(std::uint8_t stored);
    int firmwareNumber = 0;  // 0 until a read or write has learnt it

    // Every control of the window, pages first, in page order; nullptr for an unknown name.
    const std::vector<Control*>& controls() const { return all_; }
    Control* find(const QString& controlName) const;
    template <class T>
    T* findAs(const QString& controlName) const {
        return dynamic_cast<T*>(find(controlName));
    }

    // The labels that show the unit of the primary variable beside the range, the analog
    // output range and the comparator limits.
    std::array<Label*, 12> UnitLabels();

    QString caption;  // window title
    bool profileTvFlag = false;
    bool profileLmxFlag = false;

    // Page control `PageControl1`, multi-line tabs, in tab order.
    TabSheet TabSheet1{QStringLiteral("TabSheet1"), QStringLiteral("Konfigurace vstupu")};
    TabSheet TabSheet2{QStringLiteral("TabSheet2"), QStringLiteral("Relé")};
    TabSheet TabSheet3{QStringLiteral("TabSheet3"), QStringLiteral("Konf. an. výstupu")};
    TabSheet TabSheet5{QStringLiteral("TabSheet5"), QStringLiteral("Komunikace")};
    TabSheet TabSheet6{QStringLiteral("TabSheet6"), QStringLiteral("Informace")};
    TabSheet TabSheet4{QStringLiteral("TabSheet4"), QStringLiteral("Měření")};
    TabSheet TabSheet7{QStringLiteral("TabSheet7"), QStringLiteral("Záloha")};
    std::array<TabSheet*, 7> pages() {
        return {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet5, &TabSheet6, &TabSheet4, &TabSheet7};
    }
    int activePage = 0;

    // Below the page control.
    ProgressBar Prenos{QStringLiteral("Prenos")};
    ProgressBar Transfer1{QStringLiteral("Transfer1")};

    // --- Page "Konfigurace vstupu" ---
    Label Konfigurace;
    Label LabVstup;
    ComboBox Vstup;
    Label Label3;  // "Připojení čidla"
    ComboBox PripCidl;
    Label Label4;  // range heading
    Label Label6;  // "Počátek"
    Edit Pocatek;
    Label Label8;  // unit beside Pocatek
    Label Label7;  // "Konec"
    Edit Konec;
    Label Label9;   // unit beside Konec
    Label Label15;  // "Linearizace"
    ComboBox Linearizace;
    // Opt-in: "linearizováno" uploads the precise table instead of the spline. Offered only for
    // the sensors with a built-in characteristic (LinPreview keeps it so).
    CheckBox PresnaLin;
    // Opens "Přizpůsobení čidlu"; offered for platinum sensors "linearizováno" (SensorMatch).
    Button ButCidlo;
    // The deviation of the table a write would upload; a click plots it over the range.
    Label LabOdchylka;
    Label LabTlumeni;
    MaskedEdit Tlumeni;
    Label LabTlumeniJednotka;
    Label LabChybproud1;
    Label LabChybproud2;
    ComboBox Chybproud;
    Label Label31;  // sense resistor group
    Edit SnOdpor;
    Label Label32;
    Label OVzdStKon;  // cold junction group
    ComboBox VzdStKon;
    Label Label10;  // divider group
    Edit DelPomer;
    Label Label11;
    Label Vol_Jednotka;  // unit choice group
    ComboBox VolenaJednotka;
    Label Pcelkodpor;  // total resistance group
    Edit CelkovyOdpor;
    Label Jcelkodpor;
    Label Label1;  // PV correction group
    Edit korekcePV;
    Label Label30;
    Button Button8;
    Button Button1;
    Bevel Bevel3;
    Label Label18;  // "Nastavení s referencí"
    Button S_Dolmez;
    Button S_Hormez;
    Button Poslat;
    Button Precist;
    Label LabKonfSoubor;
    Button ctisoub;
    Button Ulosoub;
    Label LabUzPozn;
    Edit EditUzPozn;
    Button Prec_Pozn;
    Button Uloz_Pozn;
    Button ButtonTV;
    Button ButtonLMX;
    Label Label77;  // "č. firmware"
    Label Label78;  // firmware number, hidden until known (setFirmwareNumber)
    Label Label80;  // program version
    Label Label19;  // "Přenos"
    Label ZPocPrij;
    Label Label5;  // first profile's company line
    Label Firma;   // second profile's company name
    Picture ImageTV;

    // --- Page "Relé" ---
    std::array<std::unique_ptr<ComparatorGroup>, 4> Komparator;

    // --- Page "Konf. an. výstupu" ---
    Label LabVystRozsah;
    Label LabLoLimDA;
    Edit EdLoLimDA;
    Label Label23;
    Label LabHiLimDA;
    Edit EdHiLimDA;
    Label Label26;
    Label LabJenAnalog;
    Button Button2;
    Button Button3;

    // --- Page "Komunikace" ---
    RadioGroup SetCom;
    Label LabDalsiPorty;
    ListBox DalsiPorty;     // ports the system has beside COM1..COM8, and the simulator
    CheckBox RychlyPrenos;  // fast transfer: an operation keeps the port open (off by default)
    Button NajitPrevodnik;  // tries each port the system lists for the transmitter

    // --- Page "Informace" ---
    Label LabFirmPlace;
    Label LabFirmName1;
    Label LabAdrFirmPlace1;
    Label LabPostCodeCity1;
    Label LabWork;
    Label LabFirmName2;
    Label LabAdrFirmPlace2;
    Label LabPostCodeCity2;
    Label LabTelNr;
    Label LabFaxNr;
    Label LabMobNr;
    Label LabEmail;
    Label LabWWWPage;
    Picture ImageLMX;
    std::array<Label*, 13> InfoLabels();

    // --- Page "Měření" ---
    Label LabHlavniVelicina;
    Button ButMeasPV;
    Label LabNamerenaHodnota;
    Edit ZoZmHodn;
    Label LabKontinualni;
    Button Start_Mer;
    Button Stop_mer;
    Label LabOdeslano;
    Edit EdSend;
    Label LabPrijato;
    Edit EdReceive;
    Timer Timer3{QStringLiteral("Timer3"), 1500, false};

    // --- Page "Záloha" (BackupPage) ---
    Label LabZaloha;             // "Záloha převodníku"
    Button Zalohovat;            // the transmitter into a file
    Button Obnovit;              // a backup file into the transmitter
    Button Porovnat;             // a configuration file against the transmitter
    Label LabZapis;              // "Při zápisu celé konfigurace"
    CheckBox ZalohaPredZapisem;  // a backup into SlozkaZaloh before each whole write (off)
    Label LabSlozkaZaloh;
    Edit SlozkaZaloh;  // read-only; VybratSlozku chooses it
    Button VybratSlozku;
    CheckBox OveritZapis;  // the configuration read back and compared after a whole write (off)

    // File dialogs of the window.
    FileDialogSettings OpenDialog1;
    FileDialogSettings SaveDialog2;
    FileDialogSettings OpenDialog2;

private:
    void place(TabSheet& page, std::initializer_list<Control*> list);
    std::vector<Control*> all_;
};

// Placeholder contact details of the two profiles; the texts of the window are its own.
struct ProfileTexts {
    QString caption;
    QString linDirectory;
    QString configDirectory;
};
ProfileTexts ProfileOf(BrandingProfile profile);

}  // namespace veld::config
