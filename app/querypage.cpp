// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/querypage.h"

#include "ui_Searial.h"

namespace {

// In the order of protocol::presentedValues.
QList<QLineEdit *> fieldsOf(Ui_Searial *ui, protocol::Command command)
{
    switch (command) {
    case protocol::IdentityQuery:
        return {ui->lineEdit_R_list, ui->lineEdit_R_version_number, ui->lineEdit_R_data};
    case protocol::AnalogQuery:
        return {ui->lineEdit_R_AD_I, ui->lineEdit_R_AD_D_min, ui->lineEdit_R_AD_D_max};
    case protocol::SwitchingQuery:
        return {ui->lineEdit_R_DA1_on, ui->lineEdit_R_DA1_off, ui->lineEdit_R_DA2_on,
                ui->lineEdit_R_DA2_off};
    default:
        return {};
    }
}

} // namespace

void showQueryValues(Ui_Searial *ui, protocol::Command command,
                     const QList<protocol::PresentedValue> &values)
{
    const QList<QLineEdit *> fields = fieldsOf(ui, command);
    for (int i = 0; i < fields.size() && i < values.size(); ++i)
        fields.at(i)->setText(values.at(i).text);
}
