#include "ui/frm_dialog.h"

#include <QDateTime>
#include <QFileInfo>

#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::ui {

namespace {

// Runs a step; a run-time error abandons it and the handler goes on.
template <class F>
bool Step(F&& f) {
  return rt::Try(std::forward<F>(f)) == 0;
}

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

// The run time's text of a file's last change: local date and time.
std::string FileDateText(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  if (!info.exists()) throw rt::RtError(53);
  const QDateTime t = info.lastModified();
  const double serial = rt::DateSerial(t.date().year(), t.date().month(), t.date().day()) +
                        rt::TimeSerial(t.time().hour(), t.time().minute(), t.time().second());
  return rt::FormatDate(serial, "yyyy/mm/dd hh:nn:ss");
}

double FileLength(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  if (!info.exists() || !info.isFile()) throw rt::RtError(53);
  return static_cast<double>(info.size());
}

}  // namespace

FrmDialog::FrmDialog(QWidget* parent) : Form("frmDialog", parent) {
  using forms::CheckBox;
  using forms::CommandButton;
  using forms::ComboBox;
  using forms::Frame;
  using forms::Label;
  using forms::TextBox;
  SetCaption("Explorer tree");
  Move(forms::kKeep, forms::kKeep, 7000, 6200);

  Cadre1 = std::make_unique<Frame>(Client(), "Cadre1");
  Cadre1->Move(60, 0, 6760, 5700);
  QWidget* p = Cadre1->Client();
  Label1 = std::make_unique<Label>(p, "Label1", "Drive");
  Label1->Move(120, 180, 1500, 255);
  Lecteur1 = std::make_unique<DriveListBox>(p, "Lecteur1");
  Lecteur1->Move(120, 420, 3000, 315);
  Label2 = std::make_unique<Label>(p, "Label2", "Sub directory");
  Label2->Move(120, 780, 1500, 255);
  Répertoire1 = std::make_unique<DirListBox>(p, "Répertoire1");
  Répertoire1->Move(120, 1020, 3000, 3000);
  Label3 = std::make_unique<Label>(p, "Label3", "File Name");
  Label3->Move(3240, 180, 1500, 255);
  Fichier1 = std::make_unique<FileListBox>(p, "Fichier1");
  Fichier1->Move(3240, 1020, 3400, 3000);
  Filename = std::make_unique<TextBox>(p, "Filename");
  Filename->Move(3240, 420, 3400, 315);
  Label4 = std::make_unique<Label>(p, "Label4", "File type");
  Label4->Move(120, 4100, 1500, 255);
  Filter = std::make_unique<TextBox>(p, "Filter");
  Filter->Move(120, 4340, 3000, 315);
  Text1 = std::make_unique<TextBox>(p, "Text1");
  Text1->Move(3240, 4100, 3400, 315);
  Text1->SetLocked(true);
  Commande1 = std::make_unique<CommandButton>(p, "Commande1", "OK");
  Commande1->Move(3240, 4800, 1500, 400);
  Commande2 = std::make_unique<CommandButton>(p, "Commande2", "Cancel");
  Commande2->Move(5040, 4800, 1500, 400);
  InitDir = std::make_unique<TextBox>(p, "InitDir");
  InitDir->Move(120, 4800, 1400, 315);
  InitDir->SetVisible(false);
  InitJustDir = std::make_unique<TextBox>(p, "InitJustDir");
  InitJustDir->Move(1600, 4800, 1400, 315);
  InitJustDir->SetVisible(false);
  ListeModifiable1 = std::make_unique<ComboBox>(p, "ListeModifiable1");
  ListeModifiable1->Move(120, 5200, 3000, 315);
  ListeModifiable1->SetVisible(false);

  Action = std::make_unique<CheckBox>(Client(), "Action");
  Action->Move(0, 0, 200, 200);
  Action->SetVisible(false);

  // The second set of captions, with no behaviour.
  Cadre2 = std::make_unique<Frame>(Client(), "Cadre2");
  Cadre2->Move(60, 0, 6760, 5700);
  QWidget* q = Cadre2->Client();
  int row = 0;
  for (const char* caption : {"Lecteur", "Dossier", "Nom de fichier", "Type de fichier"}) {
    auto l = std::make_unique<Label>(q, "Cadre2Label", caption);
    l->Move(120, 180 + 600.0 * row++, 3000, 255);
    cadre2Controls_.push_back(std::move(l));
  }
  auto cancel = std::make_unique<CommandButton>(q, "Cadre2Cancel", "Annuler");
  cancel->Move(5040, 4800, 1500, 400);
  cadre2Controls_.push_back(std::move(cancel));
  Cadre2->SetVisible(false);

  Activate = [this] { Form_Activate(); };
  Action->Click = [this] { Action_Click(); };
  InitDir->Change = [this] { InitDir_Change(); };
  Filter->Change = [this] { Filter_Change(); };
  Fichier1->Click = [this] { Fichier1_Click(); };
  Fichier1->DblClick = [this] { Fichier1_DblClick(); };
  Commande1->Click = [this] { Commande1_Click(); };
  Commande2->Click = [this] { Commande2_Click(); };
  Lecteur1->Change = [this] { Lecteur1_Change(); };
  Répertoire1->Change = [this] { Répertoire1_Change(); };
  Répertoire1->Click = [this] { Répertoire1_Click(); };
  // Closing the window is a Cancel.
  Unload = [this](int& cancel) {
    cancel = 1;
    Commande2_Click();
  };

  Form_Load();
}

void FrmDialog::Form_Load() {
  Tag.clear();
  Filter->SetText("*.*");
}

void FrmDialog::Form_Activate() { Tag.clear(); }

void FrmDialog::Action_Click() {
  if (!Action->Tag.empty()) return;
  Action->Tag = "encours";
  if (Action->Value() == 1) {
    Cadre1->SetVisible(true);
    Cadre2->SetVisible(false);
  } else if (Action->Value() == 2) {
    Cadre1->SetVisible(false);
    Cadre2->SetVisible(true);
    Cadre2->Move(-120, -120);
  }
  Action->SetValue(0);
  Action->Tag.clear();
}

void FrmDialog::SplitDirFile(const std::string& path, std::string& folder, std::string& file) {
  folder.clear();
  file.clear();
  if (path.empty()) return;
  int64_t last = 0;
  for (int64_t p = rt::InStr(1, path, "/"); p > 0; p = rt::InStr(p + 1, path, "/")) last = p;
  if (last == 0) last = 1;
  folder = rt::Left(path, last);
  file = rt::Mid(path, last + 1);
}

void FrmDialog::InitDir_Change() {
  if (!InitDir->Tag.empty() || Visible()) return;
  InitDir->Tag = "encours";
  std::string p = InitDir->Text();
  std::string folder, file;
  SplitDirFile(p, folder, file);
  Step([&] { Filename->SetText(file); });
  if (folder.empty()) folder = Répertoire1->Path();
  Step([&] { Répertoire1->SetPath(folder); });
  if (p.empty()) p = Fichier1->Path();
  Step([&] { Lecteur1->SetDrive(p); });
  Step([&] { Fichier1->SetPath(p); });
  Step([&] { SelectFileInList(file); });
  InitDir->Tag.clear();
}

void FrmDialog::SelectFileInList(const std::string& name) {
  int i = 0;
  while (i < Fichier1->ListCount() && Fichier1->List(i) != name) ++i;
  Fichier1->SetListIndex(i);  // past the list when nothing matches: RtError 380
}

void FrmDialog::Filter_Change() {
  Step([&] { Fichier1->SetPattern(rt::Trim(Filter->Text())); });
  Step([&] { Filter->SetForeColor(Filter->Text() == "*.*" ? 0 : 255); });
  Step([&] { Fichier1_Click(); });
}

void FrmDialog::Fichier1_Click() {
  if (Fichier1->ListIndex() < 0) {
    // Selecting the first entry runs this handler for it.
    if (!Step([&] { Fichier1->SetListIndex(0); })) Filename->SetText("");
    if (Fichier1->ListIndex() < 0) {
      Filename->SetText("");
      Text1->SetText("");
      return;
    }
  }
  const std::string folder = WithSeparator(Fichier1->Path());
  const std::string name = Fichier1->FileName();
  if (!Step([&] { Filename->SetText(name.empty() ? throw rt::RtError(53) : folder + name); })) Filename->SetText("");
  if (!Step([&] {
        const std::string path = folder + name;
        Text1->SetText(rt::Format(FileLength(path), "# ### ### ###") + " Bytes     " + FileDateText(path));
      })) {
    Filename->SetText("");
    Text1->SetText("");
  }
}

void FrmDialog::Fichier1_DblClick() {
  Fichier1_Click();
  Commande1_Click();
}

void FrmDialog::Commande1_Click() {
  Step([&] {
    const std::string folder = WithSeparator(Fichier1->Path());
    InitJustDir->SetText(InitDir->Text());
    InitDir->SetText(folder + Filename->Text());
  });
  Hide();
}

void FrmDialog::Commande2_Click() {
  InitDir->SetText("");
  InitJustDir->SetText("");
  Filename->SetText("");
  Tag = "Cancel";
  Hide();
}

void FrmDialog::Répertoire1_Click() {
  const std::string clicked = Répertoire1->List(Répertoire1->ListIndex());
  if (!Step([&] { Répertoire1->SetPath(clicked); })) Filename->SetText("");
  if (!Step([&] { InitDir->SetText(Répertoire1->Path()); })) Filename->SetText("");
  if (!Step([&] { Fichier1->SetPath(Répertoire1->Path()); })) Filename->SetText("");
  if (!Step([&] { Fichier1_Click(); })) Filename->SetText("");
}

void FrmDialog::Répertoire1_Change() {
  if (Répertoire1->Tag != "memo") ListeModifiable1->AddItem(Répertoire1->Path());
}

void FrmDialog::Lecteur1_Change() {
  Step([&] {
    const std::string d = Lecteur1->Drive();
    RecallDriveDir(d);
    Répertoire1->SetPath(d);
    Répertoire1_Click();
  });
}

void FrmDialog::RecallDriveDir(const std::string& drive) {
  Step([&] {
    const std::string letter = rt::Left(drive, 1);
    std::string s;
    for (int i = ListeModifiable1->ListCount(); i >= 0; --i) {
      s = ListeModifiable1->List(i);
      if (rt::Left(s, 1) == letter) break;
    }
    Répertoire1->Tag = "memo";
    Step([&] { Répertoire1->SetPath(drive); });
    Step([&] { Répertoire1->SetPath(s); });
    Step([&] { Répertoire1_Click(); });
    Répertoire1->Tag.clear();
  });
}

}  // namespace vantrel::ui
