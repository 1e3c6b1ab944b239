// Writes the cells of content.tsv into a workbook with Apache POI (Debian's
// libapache-poi-java), compiled by the test run.
//
//   java -cp POI-JARS:. MakeWithPoi CONTENT.tsv OUT.xlsx
import java.io.FileOutputStream;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.util.Calendar;
import java.util.HashMap;
import java.util.Map;
import java.util.TimeZone;

import org.apache.poi.ss.usermodel.Cell;
import org.apache.poi.ss.usermodel.CellStyle;
import org.apache.poi.ss.usermodel.Row;
import org.apache.poi.xssf.usermodel.XSSFFont;
import org.apache.poi.xssf.usermodel.XSSFRichTextString;
import org.apache.poi.xssf.usermodel.XSSFSheet;
import org.apache.poi.xssf.usermodel.XSSFWorkbook;

public class MakeWithPoi {
  public static void main(String[] args) throws Exception {
    // POI turns dates into serial numbers in the default time zone: UTC
    // keeps the wall-clock times the content names.
    TimeZone.setDefault(TimeZone.getTimeZone("UTC"));
    XSSFWorkbook book = new XSSFWorkbook();
    XSSFSheet sheet = book.createSheet("数据");
    XSSFFont bold = book.createFont();
    bold.setBold(true);
    Map<String, CellStyle> styles = new HashMap<>();
    for (String line : Files.readAllLines(Paths.get(args[0]), StandardCharsets.UTF_8)) {
      if (line.isEmpty() || line.startsWith("#")) continue;
      String[] field = line.split("\t", -1);
      int rowIndex = Integer.parseInt(field[0]);
      int columnIndex = Integer.parseInt(field[1]);
      String kind = field[2];
      String code = field[3];
      String value = field[4];
      Row row = sheet.getRow(rowIndex);
      if (row == null) row = sheet.createRow(rowIndex);
      Cell cell = row.createCell(columnIndex);
      switch (kind) {
        case "number":
          cell.setCellValue(Double.parseDouble(value));
          break;
        case "date": {
          String[] parts = value.split("T");
          String[] day = parts[0].split("-");
          String[] time = (parts.length > 1 ? parts[1] : "00:00:00").split(":");
          Calendar calendar = Calendar.getInstance();
          calendar.clear();
          calendar.set(Integer.parseInt(day[0]), Integer.parseInt(day[1]) - 1, Integer.parseInt(day[2]),
                       Integer.parseInt(time[0]), Integer.parseInt(time[1]), Integer.parseInt(time[2]));
          cell.setCellValue(calendar);
          break;
        }
        case "bool":
          cell.setCellValue(value.equals("true"));
          break;
        case "rich": {
          StringBuilder text = new StringBuilder();
          for (String run : value.split("\\|")) text.append(run.startsWith("*") ? run.substring(1) : run);
          XSSFRichTextString rich = new XSSFRichTextString(text.toString());
          int at = 0;
          for (String run : value.split("\\|")) {
            String plain = run.startsWith("*") ? run.substring(1) : run;
            if (run.startsWith("*")) rich.applyFont(at, at + plain.length(), bold);
            at += plain.length();
          }
          cell.setCellValue(rich);
          break;
        }
        default:
          cell.setCellValue(value);
      }
      if (!code.isEmpty()) {
        CellStyle style = styles.get(code);
        if (style == null) {
          style = book.createCellStyle();
          style.setDataFormat(book.createDataFormat().getFormat(code));
          styles.put(code, style);
        }
        cell.setCellStyle(style);
      }
    }
    book.createSheet("其他").createRow(0).createCell(0).setCellValue("not this one");
    try (FileOutputStream out = new FileOutputStream(args[1])) {
      book.write(out);
    }
  }
}
