#include "SkinCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "controls/RegisterControls.h"
#include "settings/AppConfig.h"
#include "ui/events/UiTrace.h"
#include "ui/host/PopupMenu.h"
#include "ui/host/SApplication.h"
#include "ui/host/SHostWnd.h"
#include "ui/skin/NamedIdTable.h"
#include "ui/skin/ResourceName.h"
#include "ui/skin/ResourceProvider.h"
#include "ui/widgets/AdapterBase.h"
#include "ui/widgets/SComboBox.h"
#include "ui/widgets/SEdit.h"
#include "ui/widgets/SListView.h"
#include "ui/widgets/SMcListView.h"
#include "ui/widgets/STabCtrl.h"
#include "ui/widgets/STabPage.h"

namespace keyloom::app::test {

namespace {

// The resources the program opens by name itself, whatever the manifest says.
constexpr std::array kProgramResources = {"UIDEF:XML_INIT",
                                          "LAYOUT:XML_MAINWND",
                                          "LAYOUT:macro",
                                          "LAYOUT:SYS_XML_MSGBOX",
                                          "values:string",
                                          "values:color",
                                          "values:skin",
                                          "ICON:ICON_LOGO",
                                          "translator:lang_cn",
                                          "translator:lang_en",
                                          "SMENU:menu_tray",
                                          "SMENUEX:menu_more",
                                          "SMENUEX:menu_copy_profile"};

// The windows the program builds, and its menus.
constexpr const char* kMainLayout = "LAYOUT:XML_MAINWND";
constexpr const char* kMacroLayout = "LAYOUT:macro";
constexpr const char* kMessageBoxLayout = "LAYOUT:SYS_XML_MSGBOX";
constexpr std::array kLayouts = {kMainLayout, kMacroLayout, kMessageBoxLayout};
constexpr std::array kMenus = {"SMENU:menu_tray", "SMENUEX:menu_more", "SMENUEX:menu_copy_profile"};
constexpr std::array kTranslators = {"lang_cn", "lang_en"};

// How the program finds a control: by name, or by id when the name is empty, and the class it
// expects ("window" takes any control).
struct Lookup {
  const char* layout;
  const char* name;
  int id;
  const char* className;
};

// The main window's, the key assignment dialog's and the message box's lookups.
constexpr std::array kLookups = {
    Lookup{kMainLayout, "img_keyboard", 0, "cbimg"},
    Lookup{kMainLayout, "cmb_profile", 0, "combobox"},
    Lookup{kMainLayout, "cmb_led_mode", 0, "combobox"},
    Lookup{kMainLayout, "bar_speed", 0, "sliderbar"},
    Lookup{kMainLayout, "bar_brightness", 0, "sliderbar"},
    Lookup{kMainLayout, "radio_direction_parent", 0, "window"},
    Lookup{kMainLayout, "bar_speed_parent", 0, "window"},
    Lookup{kMainLayout, "bar_brightness_parent", 0, "window"},
    Lookup{kMainLayout, "bar_color_parent", 0, "window"},
    Lookup{kMainLayout, "udef_area_parent", 0, "window"},
    Lookup{kMainLayout, "btn_more", 0, "imgbtn"},
    Lookup{kMainLayout, "btn_copy_profile", 0, "button"},
    Lookup{kMainLayout, "", 65543, "text"},
    Lookup{kMainLayout, "", 110, "shellnotifyicon"},
    Lookup{kMainLayout, "notice", 0, "window"},
    Lookup{kMainLayout, "permission_notice", 0, "window"},
    Lookup{kMainLayout, "permission_notice_text", 0, "window"},
    Lookup{kMainLayout, "permission_notice_command", 0, "window"},
    Lookup{kMainLayout, "permission_notice_note", 0, "window"},
    Lookup{kMacroLayout, "text_recording_keys", 0, "text"},
    Lookup{kMacroLayout, "tab_macro_mode_selection", 0, "tabctrl2"},
    Lookup{kMacroLayout, "macro_group", 0, "listview"},
    Lookup{kMacroLayout, "key_info", 0, "mclistview"},
    Lookup{kMacroLayout, "edit_macro_repeat_times", 0, "edit"},
    Lookup{kMacroLayout, "edit_macro_delay_time", 0, "edit"},
    Lookup{kMacroLayout, "chk_macro_realy_delay", 0, "check"},
    Lookup{kMacroLayout, "chk_macro_fixed_delay", 0, "check"},
    Lookup{kMacroLayout, "chk_macro_no_delay", 0, "check"},
    Lookup{kMacroLayout, "chk_macro_record", 0, "checkex"},
    Lookup{kMacroLayout, "chk_single_record", 0, "checkex"},
    Lookup{kMacroLayout, "edit_single_key", 0, "text"},
    Lookup{kMacroLayout, "cmb_media_keys", 0, "combobox"},
    Lookup{kMacroLayout, "cmb_function_keys", 0, "combobox"},
    Lookup{kMessageBoxLayout, "msgtitle", 0, "text"},
    Lookup{kMessageBoxLayout, "msgicon", 0, "img"},
    Lookup{kMessageBoxLayout, "msgtext", 0, "text"},
};

// The lighting panel's check-style controls, clicked by id: direction, colours, area colours.
constexpr std::array<std::pair<int, int>, 3> kLightingIdRanges = {
    {{65592, 65593}, {65595, 65602}, {65604, 65651}}};

// The buttons whose clicks the program handles by name.
constexpr std::array<std::pair<const char*, const char*>, 23> kButtons = {{
    {kMainLayout, "btn_more"},         {kMainLayout, "btn_min"},
    {kMainLayout, "btn_close"},        {kMainLayout, "btn_restore_factory"},
    {kMainLayout, "logo_link"},        {kMacroLayout, "btnOK"},
    {kMacroLayout, "btnDelete"},       {kMacroLayout, "btnCancel"},
    {kMacroLayout, "btnMin"},          {kMacroLayout, "btnRestore"},
    {kMacroLayout, "groupAdd"},        {kMacroLayout, "groupDel"},
    {kMacroLayout, "groupImport"},     {kMacroLayout, "groupExport"},
    {kMacroLayout, "item_up"},         {kMacroLayout, "item_down"},
    {kMacroLayout, "item_delete"},     {kMacroLayout, "item_clear"},
    {kMessageBoxLayout, "button1st"},  {kMessageBoxLayout, "button2nd"},
    {kMessageBoxLayout, "button3rd"},  {kMacroLayout, "chk_macro_record"},
    {kMainLayout, "btn_copy_command"},
}};

// One row from the item template, so that the template's controls exist as the program's rows
// will have them. A multi-column list names its columns "col1", "col2", ...
template <class Base>
class OneRowAdapter : public Base {
 public:
  [[nodiscard]] int GetCount() const override { return 1; }
  void GetView(int /*position*/, ui::SWindow& rowView,
               const pugi::xml_node& itemTemplate) override {
    if (rowView.GetChildWindows().empty()) {
      rowView.CreateChildren(itemTemplate);
    }
  }
};

class OneRowColumnAdapter : public OneRowAdapter<ui::McAdapterBase> {
 public:
  [[nodiscard]] QString GetColumnName(int column) const override {
    return QStringLiteral("col%1").arg(column + 1);
  }
  bool OnSort(int /*column*/, std::vector<ui::SortMark>& /*marks*/) override { return false; }
};

QString Key(const QString& resource) {
  return ui::ResourceName::Parse(resource).Key();
}

// The control and everything below it, the rows of lists included.
void CollectControls(ui::SWindow& control, std::vector<ui::SWindow*>& out) {
  out.push_back(&control);
  for (ui::SWindow* child : control.GetChildWindows()) {
    CollectControls(*child, out);
  }
  if (const auto* list = dynamic_cast<const ui::SListView*>(&control)) {
    for (int row = 0; row < list->GetRowCount(); ++row) {
      if (ui::SWindow* view = list->GetRowView(row)) {
        CollectControls(*view, out);
      }
    }
  }
}

bool HasAncestorNamed(const ui::SWindow& control, const QString& name) {
  for (const ui::SWindow* parent = control.GetParentWindow(); parent != nullptr;
       parent = parent->GetParentWindow()) {
    if (parent->GetName() == name) {
      return true;
    }
  }
  return false;
}

QString ClassOf(const ui::SWindow& control) {
  return QString::fromUtf8(control.ClassName().data(),
                           static_cast<qsizetype>(control.ClassName().size()));
}

class SkinChecker {
 public:
  explicit SkinChecker(SkinCheckInput input) : input_(std::move(input)) {}

  std::vector<QString> Run() {
    ReadManifest();
    std::optional<ui::ResourceProvider> index = ui::ResourceProvider::OpenFolder(input_.skinFolder);
    std::optional<ui::ResourceProvider> provider =
        ui::ResourceProvider::OpenFolder(input_.skinFolder);
    if (!index || !provider) {
      Problem(QStringLiteral("%1 has no readable %2")
                  .arg(input_.skinFolder, QLatin1String(ui::ResourceProvider::kIndexFileName)));
      return problems_;
    }
    std::vector<std::string> traces;
    const ui::TraceSink previousSink =
        ui::SetTraceSink([&traces](std::string_view line) { traces.emplace_back(line); });
    {
      ui::SApplication app;
      if (!app.AddResourceProvider(std::move(*provider))) {
        Problem(QStringLiteral("UIDEF:XML_INIT does not load"));
      }
      controls::RegisterControls(app);
      CheckResources(app, *index);
      BuildWindows(app, traces);
      CheckManifestControls();
      CheckLookups();
      CheckIds();
      CheckTranslations(app);
      windows_.clear();
    }
    ui::SetTraceSink(previousSink);
    return problems_;
  }

 private:
  struct ManifestLine {
    int number = 0;
    QStringList fields;
  };

  void Problem(const QString& text) { problems_.push_back(text); }

  QString Where(const ManifestLine& line) const {
    return QStringLiteral("manifest line %1 (%2)")
        .arg(line.number)
        .arg(line.fields.join(QLatin1Char(' ')));
  }

  void ReadManifest() {
    QFile file(input_.manifestFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
      Problem(QStringLiteral("the manifest %1 cannot be read").arg(input_.manifestFile));
      return;
    }
    QTextStream stream(&file);
    int number = 0;
    while (!stream.atEnd()) {
      const QString text = stream.readLine().trimmed();
      ++number;
      if (text.isEmpty() || text.startsWith(QLatin1Char('#'))) {
        continue;
      }
      ManifestLine line{number, QStringList()};
      if (text.startsWith(QStringLiteral("text "))) {
        line.fields = QStringList{QStringLiteral("text"), text.mid(5).trimmed()};
      } else {
        line.fields = text.split(QRegularExpression(QStringLiteral("\\s+")));
      }
      manifest_.push_back(line);
    }
  }

  [[nodiscard]] std::vector<ManifestLine> LinesOf(const QString& kind) const {
    std::vector<ManifestLine> lines;
    for (const ManifestLine& line : manifest_) {
      if (line.fields.first() == kind) {
        lines.push_back(line);
      }
    }
    return lines;
  }

  void CheckResources(const ui::SApplication& app, const ui::ResourceProvider& index) {
    QStringList resources;
    for (const char* resource : kProgramResources) {
      resources.append(QLatin1String(resource));
    }
    for (const ManifestLine& line : LinesOf(QStringLiteral("resource"))) {
      if (line.fields.size() == 2 && !resources.contains(line.fields[1])) {
        resources.append(line.fields[1]);
      }
    }
    for (const QString& resource : resources) {
      const std::optional<QString> path = index.FilePath(ui::ResourceName::Parse(resource));
      if (!path) {
        Problem(QStringLiteral("resource %1 is not in uires.idx").arg(resource));
      } else if (!QFileInfo(*path).isFile()) {
        Problem(QStringLiteral("resource %1: its file %2 is missing").arg(resource, *path));
      } else if (path->endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive)) {
        pugi::xml_document document;
        if (!app.LoadXml(resource, document)) {
          Problem(QStringLiteral("resource %1: %2 is not well-formed XML").arg(resource, *path));
        }
      } else if (app.GetImage(resource) == nullptr) {
        Problem(QStringLiteral("resource %1: the image %2 does not load").arg(resource, *path));
      }
    }
  }

  void BuildWindows(const ui::SApplication& app, const std::vector<std::string>& traces) {
    QStringList layouts;
    for (const char* layout : kLayouts) {
      layouts.append(QLatin1String(layout));
    }
    for (const ManifestLine& line : manifest_) {
      if (line.fields.size() > 1 &&
          line.fields[1].startsWith(QStringLiteral("LAYOUT:"), Qt::CaseInsensitive) &&
          !layouts.contains(line.fields[1])) {
        layouts.append(line.fields[1]);
      }
    }
    for (const QString& layout : layouts) {
      const std::size_t tracesBefore = traces.size();
      auto window = std::make_unique<ui::SHostWnd>(layout);
      if (!window->Create()) {
        Problem(QStringLiteral("%1 cannot be built").arg(layout));
        continue;
      }
      FillLists(*window);
      for (std::size_t i = tracesBefore; i < traces.size(); ++i) {
        if (traces[i].find("has no control") != std::string::npos) {
          Problem(QStringLiteral("%1: %2").arg(layout, QString::fromStdString(traces[i])));
        }
      }
      pugi::xml_document document;
      if (app.LoadXml(layout, document, QStringLiteral("LAYOUT"))) {
        titles_[Key(layout)] = app.ResolveValue(
            QString::fromUtf8(document.document_element().attribute("title").value()));
      }
      windows_[Key(layout)] = std::move(window);
    }
  }

  static void FillLists(ui::SHostWnd& window) {
    std::vector<ui::SWindow*> controls;
    CollectControls(*window.GetRoot(), controls);
    for (ui::SWindow* control : controls) {
      if (auto* columns = dynamic_cast<ui::SMcListView*>(control)) {
        columns->SetAdapter(std::make_shared<OneRowColumnAdapter>());
      } else if (auto* list = dynamic_cast<ui::SListView*>(control)) {
        list->SetAdapter(std::make_shared<OneRowAdapter<ui::ListAdapterBase>>());
      }
    }
  }

  [[nodiscard]] std::vector<ui::SWindow*> ControlsOf(const QString& layout) const {
    std::vector<ui::SWindow*> controls;
    const auto window = windows_.find(Key(layout));
    if (window != windows_.end() && window->second->GetRoot() != nullptr) {
      CollectControls(*window->second->GetRoot(), controls);
    }
    return controls;
  }

  [[nodiscard]] ui::SHostWnd* WindowOf(const QString& layout) const {
    const auto window = windows_.find(Key(layout));
    return window != windows_.end() ? window->second.get() : nullptr;
  }

  // control LAYOUT TAGS NAME [in P], control-id LAYOUT TAGS ID, group, pages, items.
  void CheckManifestControls() {
    std::map<QString, int> headerItems;  // "layout|list" -> number of "item ... in list" lines
    for (const ManifestLine& line : manifest_) {
      const QString& kind = line.fields.first();
      if (kind == QStringLiteral("control") || kind == QStringLiteral("control-id")) {
        CheckControlLine(line, kind == QStringLiteral("control-id"), headerItems);
      } else if (kind == QStringLiteral("group")) {
        CheckGroupLine(line);
      } else if (kind == QStringLiteral("pages")) {
        CheckPagesLine(line);
      } else if (kind == QStringLiteral("items")) {
        CheckItemsLine(line);
      }
    }
    for (const auto& [listKey, count] : headerItems) {
      const QString layout = listKey.section(QLatin1Char('|'), 0, 0);
      const QString name = listKey.section(QLatin1Char('|'), 1);
      const auto* list = dynamic_cast<const ui::SMcListView*>(FindNamed(layout, name));
      if (list == nullptr || list->GetColumnCount() < count) {
        Problem(QStringLiteral("%1: [%2] needs a multi-column list with %3 header items")
                    .arg(layout, name)
                    .arg(count));
      }
    }
  }

  [[nodiscard]] ui::SWindow* FindNamed(const QString& layout, const QString& name) const {
    for (ui::SWindow* control : ControlsOf(layout)) {
      if (control->GetName() == name) {
        return control;
      }
    }
    return nullptr;
  }

  void CheckControlLine(const ManifestLine& line, bool byId, std::map<QString, int>& headerItems) {
    const QStringList& f = line.fields;
    if (f.size() != 4 && !(f.size() == 6 && f[4] == QStringLiteral("in"))) {
      Problem(QStringLiteral("%1 does not read").arg(Where(line)));
      return;
    }
    const QString& layout = f[1];
    const QStringList tags = f[2].split(QLatin1Char('|'));
    const QString& target = f[3];
    const QString parent = f.size() == 6 ? f[5] : QString();
    if (tags == QStringList{QStringLiteral("item")}) {
      // A header item of a multi-column list is no control; its list must have the column.
      ++headerItems[layout + QLatin1Char('|') + parent];
      return;
    }
    QStringList found;
    for (const ui::SWindow* control : ControlsOf(layout)) {
      const bool named = byId ? control->GetID() == target.toInt() : control->GetName() == target;
      if (!named) {
        continue;
      }
      const bool inParent = parent.isEmpty() || HasAncestorNamed(*control, parent);
      if (tags.contains(ClassOf(*control)) && inParent) {
        return;
      }
      found.append(ClassOf(*control) +
                   (inParent ? QString() : QStringLiteral(" outside ") + parent));
    }
    const QString what =
        byId ? QStringLiteral("id %1").arg(target) : QStringLiteral("[%1]").arg(target);
    if (found.isEmpty()) {
      Problem(
          QStringLiteral("%1: no control %2%3")
              .arg(layout, what, parent.isEmpty() ? QString() : QStringLiteral(" in ") + parent));
    } else {
      Problem(QStringLiteral("%1: control %2 is %3, not %4%5")
                  .arg(layout, what, found.join(QStringLiteral(", ")), tags.join(QLatin1Char('|')),
                       parent.isEmpty() ? QString() : QStringLiteral(" in ") + parent));
    }
  }

  void CheckGroupLine(const ManifestLine& line) {
    const QString& layout = line.fields[1];
    std::set<const ui::SWindow*> parents;
    for (qsizetype i = 2; i < line.fields.size(); ++i) {
      const ui::SWindow* control = FindNamed(layout, line.fields[i]);
      if (control == nullptr) {
        return;  // reported by its control line
      }
      parents.insert(control->GetParentWindow());
    }
    if (parents.size() != 1) {
      Problem(QStringLiteral("%1: the controls of %2 do not share one parent")
                  .arg(layout, Where(line)));
    }
  }

  void CheckPagesLine(const ManifestLine& line) {
    const QStringList& f = line.fields;
    const auto* tabs = dynamic_cast<const ui::STabCtrl*>(FindNamed(f[1], f[2]));
    if (tabs == nullptr) {
      Problem(QStringLiteral("%1: [%2] is no tab control").arg(f[1], f[2]));
      return;
    }
    bool fits = tabs->GetItemCount() == f[4].toInt();
    for (int i = 0; fits && i < tabs->GetItemCount(); ++i) {
      fits = ClassOf(*tabs->GetItem(i)) == f[3];
    }
    if (!fits) {
      Problem(
          QStringLiteral("%1: [%2] must hold %3 pages of class %4").arg(f[1], f[2], f[4], f[3]));
    }
  }

  void CheckItemsLine(const ManifestLine& line) {
    const QStringList& f = line.fields;
    const auto* combo = dynamic_cast<const ui::SComboBox*>(FindNamed(f[1], f[2]));
    if (combo == nullptr || combo->GetCount() != f[3].toInt()) {
      Problem(QStringLiteral("%1: the combo box [%2] must list %3 entries").arg(f[1], f[2], f[3]));
    }
  }

  // As the program looks its controls up: through the toolkit, with the class it expects.
  void CheckLookups() {
    for (const Lookup& lookup : kLookups) {
      const ui::SHostWnd* window = WindowOf(QLatin1String(lookup.layout));
      if (window == nullptr) {
        continue;
      }
      const bool found =
          lookup.id != 0
              ? window->FindChildByID2(lookup.id, lookup.className) != nullptr
              : window->FindChildByName2(QLatin1String(lookup.name), lookup.className) != nullptr;
      if (!found) {
        Problem(QStringLiteral("%1: the program finds no %2 %3")
                    .arg(QLatin1String(lookup.layout), QLatin1String(lookup.className),
                         lookup.id != 0
                             ? QStringLiteral("with id %1").arg(lookup.id)
                             : QStringLiteral("named [%1]").arg(QLatin1String(lookup.name))));
      }
    }
    if (const ui::SHostWnd* main = WindowOf(QLatin1String(kMainLayout))) {
      for (const auto& [first, last] : kLightingIdRanges) {
        for (int id = first; id <= last; ++id) {
          if (main->FindChildByID(id) == nullptr) {
            Problem(QStringLiteral("%1: no lighting control with id %2 (%3)")
                        .arg(QLatin1String(kMainLayout))
                        .arg(id)
                        .arg(QString::fromUtf8(ui::NamedIdTable::NameOf(id).value_or("").data())));
          }
        }
      }
    }
    for (const auto& [layout, name] : kButtons) {
      if (FindNamed(QLatin1String(layout), QLatin1String(name)) == nullptr) {
        Problem(QStringLiteral("%1: no control named [%2]")
                    .arg(QLatin1String(layout), QLatin1String(name)));
      }
    }
  }

  // Layouts and code meet through the name table: a control named like an entry must carry its
  // id.
  void CheckIds() {
    for (const auto& [key, window] : windows_) {
      std::vector<ui::SWindow*> controls;
      CollectControls(*window->GetRoot(), controls);
      for (const ui::SWindow* control : controls) {
        const std::optional<int> id = ui::NamedIdTable::IdOf(control->GetName().toStdString());
        if (id && control->GetID() != *id) {
          Problem(QStringLiteral("%1: [%2] has id %3; the name table gives it %4")
                      .arg(key, control->GetName())
                      .arg(control->GetID())
                      .arg(*id));
        }
      }
    }
  }

  // Every text a window, a menu, a catalogue or the program shows, with where it comes from.
  [[nodiscard]] std::vector<std::pair<QString, QString>> Texts() const {
    std::vector<std::pair<QString, QString>> texts;
    const auto add = [&texts](const QString& text, const QString& where) {
      if (!text.trimmed().isEmpty()) {
        texts.emplace_back(text, where);
      }
    };
    for (const auto& [key, window] : windows_) {
      add(titles_.count(key) != 0 ? titles_.at(key) : QString(), key + QStringLiteral(" title"));
      std::vector<ui::SWindow*> controls;
      CollectControls(*window->GetRoot(), controls);
      for (const ui::SWindow* control : controls) {
        const QString where =
            QStringLiteral("%1 %2 [%3]").arg(key, ClassOf(*control), control->GetName());
        if (const auto* edit = dynamic_cast<const ui::SEdit*>(control)) {
          add(edit->GetCueText(), where);
        } else {
          add(control->GetText(), where);
        }
        add(control->GetToolTipText(), where + QStringLiteral(" tip"));
        if (const auto* combo = dynamic_cast<const ui::SComboBox*>(control)) {
          for (int i = 0; i < combo->GetCount(); ++i) {
            add(combo->GetItemText(i), where + QStringLiteral(" item"));
          }
        }
        if (const auto* page = dynamic_cast<const ui::STabPage*>(control)) {
          add(page->GetTitle(), where + QStringLiteral(" title"));
        }
        if (const auto* list = dynamic_cast<const ui::SMcListView*>(control)) {
          for (int i = 0; i < list->GetColumnCount(); ++i) {
            add(list->GetColumnTitle(i), where + QStringLiteral(" column"));
          }
        }
      }
    }
    for (const char* menuName : kMenus) {
      const std::optional<ui::PopupMenu> menu = ui::PopupMenu::Load(QLatin1String(menuName));
      if (!menu) {
        continue;  // reported with the resources
      }
      const std::function<void(const std::vector<ui::PopupMenu::Item>&)> addItems =
          [&](const std::vector<ui::PopupMenu::Item>& items) {
            for (const ui::PopupMenu::Item& item : items) {
              add(item.text, QLatin1String(menuName));
              addItems(item.children);
            }
          };
      addItems(menu->Items());
    }
    for (const ManifestLine& line : LinesOf(QStringLiteral("text"))) {
      add(line.fields[1], Where(line));
    }
    for (const ManifestLine& line : LinesOf(QStringLiteral("catalog"))) {
      settings::AppConfig config;
      const QString file = input_.repositoryFolder + QLatin1Char('/') + line.fields.value(1);
      if (!config.LoadFile(file.toStdString())) {
        continue;
      }
      for (const auto* catalogue : {&config.mediaKeys, &config.functionKeys}) {
        for (const settings::KeyCatalogEntry& entry : *catalogue) {
          add(QString::fromStdString(entry.name), file);
        }
      }
    }
    return texts;
  }

  void CheckTranslations(const ui::SApplication& app) {
    std::map<QString, QSet<QString>> sources;
    for (const char* translator : kTranslators) {
      pugi::xml_document document;
      QSet<QString>& texts = sources[QLatin1String(translator)];
      if (!app.LoadXml(QLatin1String(translator), document, QStringLiteral("translator"))) {
        continue;  // reported with the resources
      }
      for (const pugi::xml_node item : document.child("language").children("item")) {
        texts.insert(QString::fromUtf8(item.attribute("src").value()));
      }
    }
    const QSet<QString>& chinese = sources[QLatin1String(kTranslators[0])];
    const QSet<QString>& english = sources[QLatin1String(kTranslators[1])];
    for (const QString& text : chinese) {
      if (!english.contains(text)) {
        Problem(QStringLiteral("lang_en lacks [%1], which lang_cn translates").arg(text));
      }
    }
    for (const QString& text : english) {
      if (!chinese.contains(text)) {
        Problem(QStringLiteral("lang_cn lacks [%1], which lang_en translates").arg(text));
      }
    }
    QSet<QString> reported;
    for (const auto& [text, where] : Texts()) {
      for (const auto& [translator, texts] : sources) {
        if (!texts.contains(text) && !reported.contains(translator + text)) {
          reported.insert(translator + text);
          Problem(
              QStringLiteral("%1 has no translation of [%2] (%3)").arg(translator, text, where));
        }
      }
    }
  }

  SkinCheckInput input_;
  std::vector<ManifestLine> manifest_;
  std::vector<QString> problems_;
  std::map<QString, std::unique_ptr<ui::SHostWnd>> windows_;
  std::map<QString, QString> titles_;
};

}  // namespace

std::vector<QString> CheckSkin(const SkinCheckInput& input) {
  return SkinChecker(input).Run();
}

}  // namespace keyloom::app::test
